#pragma once
// The console dialogue: each prompt is one list-directed output statement
// with one character item, each answer one list-directed input statement.
#include <cstdint>
#include <string_view>

#include "runtime/real.hpp"

namespace subrotinas {

void escreve(std::string_view texto);
void le_inteiro(std::int32_t& valor);
void le_real(rt::real& valor);
void le_reais(rt::real& primeiro, rt::real& segundo);
void le_texto(char* texto, int comprimento);

// The two questions every method asks: the tolerance, then the maximum
// number of iterations.
void pergunta_tolerancia(rt::real& tol);
void pergunta_limite(std::int32_t& nmax);

}  // namespace subrotinas
