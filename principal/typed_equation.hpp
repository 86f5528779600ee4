#pragma once
// The equation typed on the command line, compiled before the dialogue.
#include <string>
#include <variant>

#include "principal/command_line.hpp"
#include "subrotinas/equacao.hpp"

namespace principal {

// The equation of `texts` (its f given), or why one of its expressions is
// refused: the option, the fault, and the expression with a caret under the
// fault, for standard error.
std::variant<subrotinas::EquacaoDigitada, std::string> typed_equation(const EquationTexts& texts);

// The refusal of one expression: "raizes: OPTION: MESSAGE", the expression
// (every byte that is not printable ASCII shown as '?') and the caret line.
std::string refusal_text(std::string_view option, std::string_view expression, std::size_t position,
                         std::string_view message);

}  // namespace principal
