#pragma once
// The language of a typed equation, compiled into a program (programa.hpp).
//
//   expression := term { ("+" | "-") term }                 left to right
//   term       := signed { ("*" | "/") signed }             left to right
//   signed     := ("-" | "+") signed | power                -x**2 is -(x**2)
//   power      := primary [ ("**" | "^") signed ]           right to left
//   primary    := number | "x" | "pi" | function "(" expression ")"
//               | "(" expression ")"
//   function   := exp | log | sqrt | sin | cos | tan | atan | abs
//
// A number is digits with an optional decimal point and exponent (e, E, d or
// D, an optional sign, digits), read as the dialogue reads a real: the
// nearest double. Names are matched without regard to case; blanks (space,
// TAB) may stand between any two tokens. Every operation is one step, in
// the order written: nothing is reordered, merged or computed in advance,
// and a unary plus is no step at all.
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "subrotinas/leiaute_relatorio.hpp"
#include "subrotinas/programa.hpp"

namespace subrotinas {

using leiaute::expressao_maxima;                      // characters
inline constexpr int profundidade_maxima = 64;         // signs, powers, parentheses and calls inside each other

struct ErroDeExpressao {
    std::size_t posicao;  // the byte at fault; the text's length for its end
    std::string mensagem;
};

std::variant<Programa, ErroDeExpressao> compila_expressao(std::string_view texto);

// The program of the derivative of the program `f`, by forward automatic
// differentiation: f's steps, each followed by the steps of its
// derivative, by the rules of the guide ("Your own equation"). An operand
// that does not depend on x has no derivative steps.
Programa deriva(const Programa& f);

}  // namespace subrotinas
