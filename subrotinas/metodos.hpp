#pragma once
// The five solution routines. Each receives the report base name `nome`
// (read only) with its length; it returns only when its method fails, and
// stops the program when the method converges.

namespace subrotinas {

void bissecao(const char* nome, int nome_length);
void falsa_posicao(const char* nome, int nome_length);
void ponto_fixo_simples(const char* nome, int nome_length);
void newton_raphson(const char* nome, int nome_length);
void secante(const char* nome, int nome_length);

}  // namespace subrotinas
