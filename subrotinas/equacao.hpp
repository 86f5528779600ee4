#pragma once
// The equation a run solves, as the methods see it: f, g and df of a real.
// Either the built-in one (equacoes.hpp) or one typed on the command line,
// whose expressions are compiled once, before the dialogue. Only a typed
// equation is named in the report.
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "runtime/real.hpp"
#include "subrotinas/equacoes.hpp"
#include "subrotinas/programa.hpp"

namespace subrotinas {

// A report line naming the equation: its label and its text.
struct LinhaEquacao {
    std::string_view rotulo;
    std::string_view texto;
};

// What a method evaluates besides f: nothing, g (simple fixed point) or df
// (Newton-Raphson).
enum class Companheira { nenhuma, g, df };

// The report's lines naming the equation, as many as there are.
struct LinhasEquacao {
    std::array<LinhaEquacao, 2> linha{};
    std::size_t quantas = 0;

    std::span<const LinhaEquacao> todas() const { return {linha.data(), quantas}; }
};

struct EquacaoEmbutida {
    rt::real f(const rt::real& x) { return subrotinas::f(x); }
    rt::real g(const rt::real& x) { return subrotinas::g(x); }
    rt::real df(const rt::real& x) { return subrotinas::df(x); }

    static constexpr bool tem_g() { return true; }
    static LinhasEquacao linhas(Companheira) { return {}; }
};

// An expression as typed, and its program.
struct ExpressaoDigitada {
    std::string texto;
    Programa programa;
};

class EquacaoDigitada {
public:
    // Without `df`, df is the derivative of f (expressao.hpp: deriva).
    EquacaoDigitada(ExpressaoDigitada f, std::optional<ExpressaoDigitada> g, std::optional<ExpressaoDigitada> df);

    rt::real f(const rt::real& x) { return avalia(f_.programa, x); }
    // Only with a g: simple fixed point is refused without one.
    rt::real g(const rt::real& x) { return avalia(g_->programa, x); }
    rt::real df(const rt::real& x) { return avalia(df_.programa, x); }

    bool tem_g() const { return g_.has_value(); }
    LinhasEquacao linhas(Companheira companheira) const;

private:
    ExpressaoDigitada f_;
    std::optional<ExpressaoDigitada> g_;
    ExpressaoDigitada df_;  // its text empty when it is f's derivative
};

}  // namespace subrotinas
