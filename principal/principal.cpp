#include "principal/principal.hpp"

#include <cstdint>

#include "subrotinas/dialogo.hpp"
#include "subrotinas/metodos.hpp"

namespace principal {

namespace {

constexpr int nome_length = 60;

// The program's variables: static for the whole run.
std::int32_t metodo = 0;
char nome[nome_length] = {};  // 60 NUL characters until a name is read

using Rotina = void (*)(const char* nome, int nome_length);

struct Metodo {
    std::int32_t numero;
    Rotina rotina;
};

constexpr Metodo metodos[] = {
    {1, subrotinas::bissecao},
    {2, subrotinas::falsa_posicao},
    {3, subrotinas::ponto_fixo_simples},
    {4, subrotinas::newton_raphson},
    {5, subrotinas::secante},
};

}  // namespace

int principal() {
    using namespace subrotinas;
    escreve("Informe o metodo de solucao escolhido:");
    escreve("1 - bissecao; 2 - falsa posicao; 3 - ponto fixo simples");
    escreve("4 - newton raphson; 5 - secante");
    le_inteiro(metodo);
    escreve("Informe o nome do arquivo de saida");
    le_texto(nome, nome_length);

    for (const Metodo& m : metodos) {
        if (metodo == m.numero) {
            m.rotina(nome, nome_length);
            break;
        }
    }
    return 0;
}

}  // namespace principal
