#pragma once
// Builds a program step by step. An operand is x, a constant or the result
// of an earlier step; the registers are numbered once all the constants are
// known (programa.hpp: x, the constants, the steps' results).
#include <bit>
#include <cstdint>
#include <vector>

#include "subrotinas/programa.hpp"

namespace subrotinas {

struct Operando {
    enum class Tipo : std::uint8_t { x, constante, passo } tipo;
    std::uint16_t indice;
};

class ConstrutorPrograma {
public:
    static constexpr Operando x() { return {Operando::Tipo::x, 0}; }

    // A constant of this value: one register for each value (by its bits).
    Operando constante(double valor) {
        for (std::size_t i = 0; i < constantes_.size(); ++i)
            if (std::bit_cast<std::uint64_t>(constantes_[i]) == std::bit_cast<std::uint64_t>(valor))
                return {Operando::Tipo::constante, static_cast<std::uint16_t>(i)};
        constantes_.push_back(valor);
        return {Operando::Tipo::constante, static_cast<std::uint16_t>(constantes_.size() - 1)};
    }

    Operando passo(Operacao operacao, Operando a, Operando b) {
        passos_.push_back({operacao, a, b});
        return {Operando::Tipo::passo, static_cast<std::uint16_t>(passos_.size() - 1)};
    }
    Operando passo(Operacao operacao, Operando a) { return passo(operacao, a, a); }

    Programa programa(Operando resultado) const {
        Programa p;
        p.constantes = static_cast<std::uint16_t>(constantes_.size());
        p.registros.assign(1 + constantes_.size() + passos_.size(), rt::real(0.0));
        for (std::size_t i = 0; i < constantes_.size(); ++i) p.registros[1 + i] = constantes_[i];
        p.passos.reserve(passos_.size());
        for (const Pendente& s : passos_) p.passos.push_back({s.operacao, registro(p, s.a), registro(p, s.b)});
        p.resultado = registro(p, resultado);
        return p;
    }

private:
    struct Pendente {
        Operacao operacao;
        Operando a, b;
    };

    static std::uint16_t registro(const Programa& p, Operando operando) {
        switch (operando.tipo) {
            case Operando::Tipo::x: return 0;
            case Operando::Tipo::constante: return static_cast<std::uint16_t>(1 + operando.indice);
            case Operando::Tipo::passo: return registro_do_passo(p, operando.indice);
        }
        return 0;
    }

    std::vector<double> constantes_;
    std::vector<Pendente> passos_;
};

}  // namespace subrotinas
