#include "principal/typed_equation.hpp"

#include <optional>
#include <utility>

#include "subrotinas/expressao.hpp"

namespace principal {

namespace {

using subrotinas::ExpressaoDigitada;

// One expression compiled, or its refusal.
std::variant<ExpressaoDigitada, std::string> compiled(std::string_view option, std::string_view text) {
    auto result = subrotinas::compila_expressao(text);
    if (auto* error = std::get_if<subrotinas::ErroDeExpressao>(&result))
        return refusal_text(option, text, error->posicao, error->mensagem);
    return ExpressaoDigitada{std::string(text), std::move(std::get<subrotinas::Programa>(result))};
}

}  // namespace

std::string refusal_text(std::string_view option, std::string_view expression, std::size_t position,
                         std::string_view message) {
    std::string text = "raizes: " + std::string(option) + ": " + std::string(message) + "\n  ";
    for (char c : expression) text += c == '\t' || (c >= ' ' && c <= '~') ? c : '?';
    text += "\n  ";
    for (std::size_t i = 0; i < position && i < expression.size(); ++i) text += expression[i] == '\t' ? '\t' : ' ';
    text += "^\n";
    return text;
}

std::variant<subrotinas::EquacaoDigitada, std::string> typed_equation(const EquationTexts& texts) {
    auto f = compiled("--f", *texts.f);
    if (auto* refusal = std::get_if<std::string>(&f)) return std::move(*refusal);
    std::optional<ExpressaoDigitada> g, df;
    if (texts.g) {
        auto compiled_g = compiled("--g", *texts.g);
        if (auto* refusal = std::get_if<std::string>(&compiled_g)) return std::move(*refusal);
        g = std::move(std::get<ExpressaoDigitada>(compiled_g));
    }
    if (texts.df) {
        auto compiled_df = compiled("--df", *texts.df);
        if (auto* refusal = std::get_if<std::string>(&compiled_df)) return std::move(*refusal);
        df = std::move(std::get<ExpressaoDigitada>(compiled_df));
    }
    return subrotinas::EquacaoDigitada(std::move(std::get<ExpressaoDigitada>(f)), std::move(g), std::move(df));
}

}  // namespace principal
