// The compiler of a typed equation: any bytes are either refused, with the
// byte at fault inside the text or at its end, or compiled into a program
// whose every step reads only x, the constants and earlier steps' results;
// so is the program of its derivative. Nothing is evaluated, since a math
// error ends the process; the run-time's own elementary functions, which
// need no environment, get the input's first eight bytes as a double.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <variant>

#include "principal/typed_equation.hpp"
#include "runtime/elementary.hpp"
#include "subrotinas/expressao.hpp"

namespace {

void check(const subrotinas::Programa& p) {
    if (p.registros.size() != 1 + p.constantes + p.passos.size() || p.resultado >= p.registros.size()) std::abort();
    for (std::size_t i = 0; i < p.passos.size(); ++i) {
        const subrotinas::Passo& passo = p.passos[i];
        const std::uint16_t own = subrotinas::registro_do_passo(p, i);
        if (passo.a >= own || passo.b >= own || passo.operacao > subrotinas::Operacao::abs) std::abort();
        if (!subrotinas::tem_dois_operandos(passo.operacao) && passo.a != passo.b) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (size >= sizeof(double)) {
        double x;
        std::memcpy(&x, data, sizeof x);
        for (double (*f)(double) : {rt::elementary::log, rt::elementary::sin, rt::elementary::cos,
                                    rt::elementary::tan, rt::elementary::atan})
            static_cast<void>(f(x));
    }
    auto result = subrotinas::compila_expressao(text);
    if (auto* error = std::get_if<subrotinas::ErroDeExpressao>(&result)) {
        if (error->posicao > text.size() || error->mensagem.empty()) std::abort();
        static_cast<void>(principal::refusal_text("--f", text, error->posicao, error->mensagem));
        return 0;
    }
    const auto& f = std::get<subrotinas::Programa>(result);
    check(f);
    check(subrotinas::deriva(f));
    return 0;
}
