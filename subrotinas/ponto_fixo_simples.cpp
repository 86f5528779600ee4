#include <cmath>
#include <cstdint>

#include "runtime/real.hpp"
#include "subrotinas/dialogo.hpp"
#include "subrotinas/equacao.hpp"
#include "subrotinas/iterados.hpp"
#include "subrotinas/metodos.hpp"
#include "subrotinas/relatorio.hpp"

namespace subrotinas {

template <class Equacao>
void ponto_fixo_simples(const char* nome, int nome_length, Equacao& equacao) {
    static rt::real tol, variacao;
    static std::int32_t nmax;
    static io::ArrayDescriptor p;
    static Relatorio relatorio;

    pergunta_tolerancia(tol);
    pergunta_limite(nmax);
    obtem_iterados(p, 0, nmax, 1);
    escreve("Informe a estimativa inicial (p0):");
    le_real(p(0));

    abre_relatorio(relatorio, nome, nome_length, ".pfs.txt", cabecalho_ponto_fixo, {p(0), tol}, nmax,
                   equacao.linhas(Companheira::g).todas());

    p(1) = equacao.g(p(0));
    variacao = rt::fabs(p(1) - p(0));
    if (variacao < tol) {
        escreve_primeira_linha(1, p(1));
        termina_convergido(relatorio);
    }
    escreve_linha(1, p(1));

    for (std::int32_t i = 2; i <= nmax; ++i) {
        p(i) = equacao.g(p(i - 1));
        variacao = rt::fabs(p(i) - p(i - 1));
        escreve_linha(i, p(i), variacao);
        if (variacao < tol) termina_convergido(relatorio);
    }
    termina_falhou(relatorio, nmax);
}

template void ponto_fixo_simples(const char*, int, EquacaoEmbutida&);
template void ponto_fixo_simples(const char*, int, EquacaoDigitada&);

}  // namespace subrotinas
