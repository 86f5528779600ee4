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
void secante(const char* nome, int nome_length, Equacao& equacao) {
    static rt::real tol, q0, q1, variacao;
    static std::int32_t nmax;
    static io::ArrayDescriptor p;
    static Relatorio relatorio;

    pergunta_tolerancia(tol);
    pergunta_limite(nmax);
    obtem_iterados(p, 0, std::int64_t{nmax} + 1, 1);
    escreve("Informe as estimativas iniciais (p0 e p1):");
    le_reais(p(0), p(1));

    abre_relatorio(relatorio, nome, nome_length, ".sec.txt", cabecalho_secante, {tol}, nmax,
                   equacao.linhas(Companheira::nenhuma).todas());
    escreve_primeira_linha(0, p(0));
    escreve_primeira_linha(1, p(1));
    q0 = equacao.f(p(0));
    q1 = equacao.f(p(1));

    // The last row number is nmax + 1, which may not fit in 32 bits.
    for (std::int64_t i = 2; i <= std::int64_t{nmax} + 1; ++i) {
        const rt::real num = (p(i - 1) - p(i - 2)) * q1;
        const rt::real den = q1 - q0;
        const rt::real passo = num / den;
        p(i) = p(i - 1) - passo;
        variacao = rt::fabs(p(i) - p(i - 1));
        escreve_linha(static_cast<std::int32_t>(i), p(i), variacao);
        if (variacao < tol) termina_convergido(relatorio);
        q0 = q1;
        q1 = equacao.f(p(i));
    }
    termina_falhou(relatorio, nmax);
}

template void secante(const char*, int, EquacaoEmbutida&);
template void secante(const char*, int, EquacaoDigitada&);

}  // namespace subrotinas
