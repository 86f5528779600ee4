#pragma once
// The five solution routines. Each receives the report base name `nome`
// (read only) with its length, and the equation it solves (equacao.hpp);
// it returns only when its method fails, and stops the program when the
// method converges.
#include "subrotinas/equacao.hpp"

namespace subrotinas {

template <class Equacao>
void bissecao(const char* nome, int nome_length, Equacao& equacao);
template <class Equacao>
void falsa_posicao(const char* nome, int nome_length, Equacao& equacao);
template <class Equacao>
void ponto_fixo_simples(const char* nome, int nome_length, Equacao& equacao);
template <class Equacao>
void newton_raphson(const char* nome, int nome_length, Equacao& equacao);
template <class Equacao>
void secante(const char* nome, int nome_length, Equacao& equacao);

// Each routine is made for both kinds of equation, in its own file.
extern template void bissecao(const char*, int, EquacaoEmbutida&);
extern template void bissecao(const char*, int, EquacaoDigitada&);
extern template void falsa_posicao(const char*, int, EquacaoEmbutida&);
extern template void falsa_posicao(const char*, int, EquacaoDigitada&);
extern template void ponto_fixo_simples(const char*, int, EquacaoEmbutida&);
extern template void ponto_fixo_simples(const char*, int, EquacaoDigitada&);
extern template void newton_raphson(const char*, int, EquacaoEmbutida&);
extern template void newton_raphson(const char*, int, EquacaoDigitada&);
extern template void secante(const char*, int, EquacaoEmbutida&);
extern template void secante(const char*, int, EquacaoDigitada&);

}  // namespace subrotinas
