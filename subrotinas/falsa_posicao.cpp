#include <cmath>
#include <cstdint>

#include "runtime/real.hpp"
#include "subrotinas/dialogo.hpp"
#include "subrotinas/equacao.hpp"
#include "subrotinas/iterados.hpp"
#include "subrotinas/metodos.hpp"
#include "subrotinas/relatorio.hpp"

namespace subrotinas {

namespace {

// The end points and f at them: `p1` is always the newer one.
struct Extremos {
    rt::real p0, p1, q0, q1;

    // The zero of the straight line through both ends, in this order of
    // operations.
    rt::real novo_iterado() const {
        rt::real d = p1 - p0;
        d = d * q1;
        rt::real e = q1 - q0;
        d = d / e;
        return p1 - d;
    }

    // The new end `iterado`, where f is `q`.
    void atualiza(rt::real iterado, rt::real q) {
        if (q * q1 < 0.0) {
            p0 = p1;
            q0 = q1;
        }
        p1 = iterado;
        q1 = q;
    }
};

}  // namespace

template <class Equacao>
void falsa_posicao(const char* nome, int nome_length, Equacao& equacao) {
    static Extremos x;
    static rt::real tol;
    static std::int32_t nmax;
    static io::ArrayDescriptor p;
    static Relatorio relatorio;

    escreve("Informe as extremidades do intervalo considerado [p0, p1]:");
    le_reais(x.p0, x.p1);
    pergunta_tolerancia(tol);
    pergunta_limite(nmax);

    obtem_iterados(p, 1, nmax, 1);
    abre_relatorio(relatorio, nome, nome_length, ".fp.txt", cabecalho_falsa_posicao, {x.p0, x.p1, tol}, nmax,
                   equacao.linhas(Companheira::nenhuma).todas());

    x.q0 = equacao.f(x.p0);
    x.q1 = equacao.f(x.p1);

    p(1) = x.novo_iterado();
    if (rt::fabs(p(1) - x.p1) < tol) {
        escreve_primeira_linha(1, p(1));
        termina_convergido(relatorio);
    }
    escreve_linha(1, p(1));
    x.atualiza(p(1), equacao.f(p(1)));

    for (std::int32_t i = 2; i <= nmax; ++i) {
        p(i) = x.novo_iterado();
        const bool convergiu = rt::fabs(p(i) - x.p1) < tol;
        escreve_linha(i, p(i), rt::fabs(p(i) - p(i - 1)));
        if (convergiu) termina_convergido(relatorio);
        x.atualiza(p(i), equacao.f(p(i)));
    }
    termina_falhou(relatorio, nmax);
}

template void falsa_posicao(const char*, int, EquacaoEmbutida&);
template void falsa_posicao(const char*, int, EquacaoDigitada&);

}  // namespace subrotinas
