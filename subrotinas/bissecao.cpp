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
void bissecao(const char* nome, int nome_length, Equacao& equacao) {
    static rt::real a, b, tol, fa, fp;
    static std::int32_t nmax;
    static io::ArrayDescriptor p;
    static Relatorio relatorio;

    escreve("Informe as extremidades do intervalo considerado [a, b]:");
    le_reais(a, b);
    pergunta_tolerancia(tol);
    pergunta_limite(nmax);

    obtem_iterados(p, 1, nmax, 1);
    abre_relatorio(relatorio, nome, nome_length, ".bis.txt", cabecalho_bissecao, {a, b, tol}, nmax,
                   equacao.linhas(Companheira::nenhuma).todas());

    fa = equacao.f(a);
    p(1) = (b + a) * 0.5;
    fp = equacao.f(p(1));
    // The first test compares the half-width with its sign.
    if ((b - a) * 0.5 < tol || fp == 0.0) {
        escreve_primeira_linha(1, p(1));
        termina_convergido(relatorio);
    }
    escreve_linha(1, p(1));
    if (fp * fa > 0.0) {
        a = p(1);
        fa = fp;
    } else {
        b = p(1);
    }

    for (std::int32_t i = 2; i <= nmax; ++i) {
        p(i) = (b + a) * 0.5;
        fp = equacao.f(p(i));
        const bool convergiu = rt::fabs((b - a) * 0.5) < tol || fp == 0.0;
        escreve_linha(i, p(i), rt::fabs(p(i) - p(i - 1)));
        if (convergiu) termina_convergido(relatorio);
        if (fp * fa > 0.0) {
            a = p(i);
            fa = fp;
        } else {
            b = p(i);
        }
    }
    termina_falhou(relatorio, nmax);
}

template void bissecao(const char*, int, EquacaoEmbutida&);
template void bissecao(const char*, int, EquacaoDigitada&);

}  // namespace subrotinas
