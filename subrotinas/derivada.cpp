// Forward automatic differentiation of a compiled expression: each step of
// f, then the steps of its derivative from its operands' values and
// derivatives. A derivative known to be 0 (an operand without x) or 1 (x
// itself) takes no step, so no operation is added that the rules do not
// need. With u and v the operands, w the step's value and du, dv their
// derivatives:
//
//   u + v, u - v   du + dv, du - dv
//   u * v          du v + u dv
//   u / v          (du - w dv) / v
//   -u             -du
//   u ** v         (v (u ** (v - 1))) du       when v has no x
//                  w (dv log(u) + v du / u)    otherwise
//   exp(u)         du w
//   log(u)         du / u
//   sqrt(u)        du / (w + w)
//   sin(u)         du cos(u)
//   cos(u)         du (-sin(u))
//   tan(u)         du (1 + w w)
//   atan(u)        du / (1 + u u)
//   abs(u)         du (u / w)                   0/0 at u = 0
#include <vector>

#include "subrotinas/construtor_programa.hpp"
#include "subrotinas/expressao.hpp"

namespace subrotinas {

namespace {

struct Derivada {
    enum class Tipo : std::uint8_t { zero, um, operando } tipo = Tipo::zero;
    Operando operando{};

    static Derivada de(Operando o) { return {Tipo::operando, o}; }
    bool zero() const { return tipo == Tipo::zero; }
};

// The derivative's steps, written in terms of derivatives that may be 0 or 1.
struct Regras {
    ConstrutorPrograma& c;

    Operando operando(Derivada d) { return d.tipo == Derivada::Tipo::um ? c.constante(1.0) : d.operando; }

    // d v
    Derivada vezes(Derivada d, Operando v) {
        if (d.zero()) return d;
        if (d.tipo == Derivada::Tipo::um) return Derivada::de(v);
        return Derivada::de(c.passo(Operacao::produto, d.operando, v));
    }
    // d / v
    Derivada dividido(Derivada d, Operando v) {
        if (d.zero()) return d;
        return Derivada::de(c.passo(Operacao::quociente, operando(d), v));
    }
    Derivada mais(Derivada d, Derivada e) {
        if (d.zero()) return e;
        if (e.zero()) return d;
        return Derivada::de(c.passo(Operacao::soma, operando(d), operando(e)));
    }
    Derivada menos(Derivada d, Derivada e) {
        if (e.zero()) return d;
        if (d.zero()) return Derivada::de(c.passo(Operacao::oposto, operando(e)));
        return Derivada::de(c.passo(Operacao::diferenca, operando(d), operando(e)));
    }

    Derivada de(Operacao op, Operando u, Operando v, Operando w, Derivada du, Derivada dv) {
        switch (op) {
            case Operacao::soma: return mais(du, dv);
            case Operacao::diferenca: return menos(du, dv);
            case Operacao::produto: return mais(vezes(du, v), vezes(dv, u));
            case Operacao::quociente:
                if (dv.zero()) return dividido(du, v);
                return dividido(menos(du, vezes(dv, w)), v);
            case Operacao::oposto: return menos(Derivada{}, du);
            case Operacao::potencia:
                if (dv.zero()) {
                    const Operando v_menos_1 = c.passo(Operacao::diferenca, v, c.constante(1.0));
                    const Operando potencia = c.passo(Operacao::potencia, u, v_menos_1);
                    return vezes(du, c.passo(Operacao::produto, v, potencia));
                } else {
                    const Derivada pelo_expoente = vezes(dv, c.passo(Operacao::log, u));
                    const Derivada pela_base = dividido(vezes(du, v), u);
                    const Derivada soma = mais(pelo_expoente, pela_base);
                    return Derivada::de(c.passo(Operacao::produto, w, operando(soma)));
                }
            case Operacao::exp: return vezes(du, w);
            case Operacao::log: return dividido(du, u);
            case Operacao::sqrt: return dividido(du, c.passo(Operacao::soma, w, w));
            case Operacao::sin: return vezes(du, c.passo(Operacao::cos, u));
            case Operacao::cos: return vezes(du, c.passo(Operacao::oposto, c.passo(Operacao::sin, u)));
            case Operacao::tan:
                return vezes(du, c.passo(Operacao::soma, c.constante(1.0), c.passo(Operacao::produto, w, w)));
            case Operacao::atan:
                return dividido(du, c.passo(Operacao::soma, c.constante(1.0), c.passo(Operacao::produto, u, u)));
            case Operacao::abs: return vezes(du, c.passo(Operacao::quociente, u, w));
        }
        return {};
    }
};

}  // namespace

Programa deriva(const Programa& f) {
    ConstrutorPrograma c;
    Regras regras{c};
    std::vector<Operando> valor(f.registros.size());
    std::vector<Derivada> derivada(f.registros.size());
    valor[0] = ConstrutorPrograma::x();
    derivada[0] = {Derivada::Tipo::um};
    for (std::size_t i = 1; i <= f.constantes; ++i) valor[i] = c.constante(f.registros[i].value());
    for (std::size_t i = 0; i < f.passos.size(); ++i) {
        const Passo& passo = f.passos[i];
        const std::size_t r = registro_do_passo(f, i);
        const Operando u = valor[passo.a], v = valor[passo.b];
        valor[r] = c.passo(passo.operacao, u, v);
        const Derivada du = derivada[passo.a];
        const Derivada dv = tem_dois_operandos(passo.operacao) ? derivada[passo.b] : Derivada{};
        if (!du.zero() || !dv.zero()) derivada[r] = regras.de(passo.operacao, u, v, valor[r], du, dv);
    }
    const Derivada d = derivada[f.resultado];
    return c.programa(d.zero() ? c.constante(0.0) : regras.operando(d));
}

}  // namespace subrotinas
