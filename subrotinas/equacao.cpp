#include "subrotinas/equacao.hpp"

#include <utility>

#include "subrotinas/expressao.hpp"
#include "subrotinas/leiaute_relatorio.hpp"

namespace subrotinas {

EquacaoDigitada::EquacaoDigitada(ExpressaoDigitada f, std::optional<ExpressaoDigitada> g,
                                 std::optional<ExpressaoDigitada> df)
    : f_(std::move(f)), g_(std::move(g)) {
    if (df) df_ = std::move(*df);
    else df_.programa = deriva(f_.programa);
}

LinhasEquacao EquacaoDigitada::linhas(Companheira companheira) const {
    LinhasEquacao linhas;
    linhas.linha[linhas.quantas++] = {leiaute::rotulo_f, f_.texto};
    if (companheira == Companheira::g && g_) linhas.linha[linhas.quantas++] = {leiaute::rotulo_g, g_->texto};
    if (companheira == Companheira::df)
        linhas.linha[linhas.quantas++] = {leiaute::rotulo_df, df_.texto.empty() ? leiaute::df_automatica : df_.texto};
    return linhas;
}

}  // namespace subrotinas
