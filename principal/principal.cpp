#include "principal/principal.hpp"

#include <cstdint>
#include <string_view>

#include "platform/console.hpp"
#include "principal/command_line.hpp"
#include "runtime/termination.hpp"
#include "subrotinas/dialogo.hpp"
#include "subrotinas/metodos.hpp"

namespace principal {

namespace {

constexpr int nome_length = 60;

// The program's variables: static for the whole run.
std::int32_t metodo = 0;
char nome[nome_length] = {};  // 60 NUL characters until a name is read

template <class Equacao>
struct Metodo {
    std::int32_t numero;
    void (*rotina)(const char* nome, int nome_length, Equacao& equacao);
};

template <class Equacao>
constexpr Metodo<Equacao> metodos[] = {
    {1, subrotinas::bissecao<Equacao>},
    {2, subrotinas::falsa_posicao<Equacao>},
    {3, subrotinas::ponto_fixo_simples<Equacao>},
    {4, subrotinas::newton_raphson<Equacao>},
    {5, subrotinas::secante<Equacao>},
};

constexpr std::int32_t metodo_ponto_fixo = 3;

[[noreturn]] void recusa_ponto_fixo() {
    constexpr std::string_view texto =
        "raizes: method 3, simple fixed point, iterates x = g(x): give g with --g EXPR\n";
    plat::write_all(plat::standard_error, texto.data(), texto.size());
    rt::exit_sequence(refused_status);
}

}  // namespace

template <class Equacao>
int principal(Equacao& equacao) {
    using namespace subrotinas;
    escreve("Informe o metodo de solucao escolhido:");
    escreve("1 - bissecao; 2 - falsa posicao; 3 - ponto fixo simples");
    escreve("4 - newton raphson; 5 - secante");
    le_inteiro(metodo);
    if (metodo == metodo_ponto_fixo && !equacao.tem_g()) recusa_ponto_fixo();
    escreve("Informe o nome do arquivo de saida");
    le_texto(nome, nome_length);

    for (const Metodo<Equacao>& m : metodos<Equacao>) {
        if (metodo == m.numero) {
            m.rotina(nome, nome_length, equacao);
            break;
        }
    }
    return 0;
}

template int principal(subrotinas::EquacaoEmbutida&);
template int principal(subrotinas::EquacaoDigitada&);

}  // namespace principal
