#pragma once
// A typed expression in x, compiled: a list of steps, one floating-point
// operation each, in the order the expression is written, and the registers
// they work on. Evaluated on the application's reals, each step checks its
// result as the built-in equation's operations do, so a fault ends the run
// with the same report at the same row.
#include <cstdint>
#include <vector>

#include "runtime/real.hpp"

namespace subrotinas {

enum class Operacao : std::uint8_t {
    soma,        // a + b
    diferenca,   // a - b
    produto,     // a * b
    quociente,   // a / b
    oposto,      // -a
    potencia,    // a ** b, the run-time's real power
    exp,
    log,
    sqrt,
    sin,
    cos,
    tan,
    atan,
    abs,
};

constexpr bool tem_dois_operandos(Operacao operacao) {
    return operacao == Operacao::soma || operacao == Operacao::diferenca || operacao == Operacao::produto ||
           operacao == Operacao::quociente || operacao == Operacao::potencia;
}

// Registers: x in the first, then the constants, then the result of each
// step in the order of the steps. `a` and `b` name the operands' registers
// (`b` is `a` for one operand).
struct Passo {
    Operacao operacao;
    std::uint16_t a;
    std::uint16_t b;
};

struct Programa {
    std::vector<Passo> passos;
    std::vector<rt::real> registros;  // x, the constants, the steps' results
    std::uint16_t constantes = 0;     // how many
    std::uint16_t resultado = 0;      // the register of the expression's value
};

// The register of step i's result.
constexpr std::uint16_t registro_do_passo(const Programa& programa, std::size_t i) {
    return static_cast<std::uint16_t>(1 + programa.constantes + i);
}

inline rt::real aplica(Operacao operacao, rt::real a, rt::real b) {
    switch (operacao) {
        case Operacao::soma: return a + b;
        case Operacao::diferenca: return a - b;
        case Operacao::produto: return a * b;
        case Operacao::quociente: return a / b;
        case Operacao::oposto: return -a;
        case Operacao::potencia: return rt::rt_pow(a, b);
        case Operacao::exp: return rt::rt_exp(a);
        case Operacao::log: return rt::rt_log(a);
        case Operacao::sqrt: return rt::rt_sqrt(a);
        case Operacao::sin: return rt::rt_sin(a);
        case Operacao::cos: return rt::rt_cos(a);
        case Operacao::tan: return rt::rt_tan(a);
        case Operacao::atan: return rt::rt_atan(a);
        case Operacao::abs: return rt::fabs(a);
    }
    // A step holds one of the operations above (the compiler makes no
    // other), so the switch needs no check of its range.
    __builtin_unreachable();
}

// The expression's value at x: every step, in order.
inline rt::real avalia(Programa& programa, rt::real x) {
    rt::real* r = programa.registros.data();
    r[0] = x;
    rt::real* saida = r + 1 + programa.constantes;
    for (const Passo& passo : programa.passos) *saida++ = aplica(passo.operacao, r[passo.a], r[passo.b]);
    return r[programa.resultado];
}

}  // namespace subrotinas
