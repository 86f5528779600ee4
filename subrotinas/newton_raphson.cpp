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
void newton_raphson(const char* nome, int nome_length, Equacao& equacao) {
    static rt::real tol, fx, variacao;
    static std::int32_t nmax;
    static io::ArrayDescriptor p;
    static Relatorio relatorio;

    pergunta_tolerancia(tol);
    pergunta_limite(nmax);
    obtem_iterados(p, 0, nmax, 0);
    escreve("Informe a estimativa inicial (p0):");
    le_real(p(0));

    abre_relatorio(relatorio, nome, nome_length, ".new.txt", cabecalho_newton, {tol}, nmax,
                   equacao.linhas(Companheira::df).todas());
    escreve_primeira_linha(0, p(0));

    for (std::int32_t i = 1; i <= nmax; ++i) {
        fx = equacao.f(p(i - 1));
        const rt::real d = equacao.df(p(i - 1));
        const rt::real passo = fx / d;
        p(i) = p(i - 1) - passo;
        variacao = rt::fabs(p(i) - p(i - 1));
        escreve_linha(i, p(i), variacao);
        if (variacao < tol) termina_convergido(relatorio);
    }
    termina_falhou(relatorio, nmax);
}

template void newton_raphson(const char*, int, EquacaoEmbutida&);
template void newton_raphson(const char*, int, EquacaoDigitada&);

}  // namespace subrotinas
