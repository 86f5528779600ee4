#include "subrotinas/expressao.hpp"

#include <cstdint>
#include <optional>

#include "io/listio/conversions.hpp"
#include "subrotinas/construtor_programa.hpp"

namespace subrotinas {

namespace {

// Registers of the largest derivative: a constant per two characters at
// most, a step per character, each step's derivative in at most seven.
static_assert(1 + expressao_maxima / 2 + 2 + 8 * expressao_maxima < 65536);

enum class Simbolo : std::uint8_t { numero, nome, mais, menos, vezes, dividido, potencia, abre, fecha, fim, erro };

struct Token {
    Simbolo simbolo;
    std::size_t inicio;
    std::size_t fim;
    double valor = 0.0;
};

struct Funcao {
    std::string_view nome;
    Operacao operacao;
};
constexpr Funcao funcoes[] = {
    {"exp", Operacao::exp}, {"log", Operacao::log}, {"sqrt", Operacao::sqrt}, {"sin", Operacao::sin},
    {"cos", Operacao::cos}, {"tan", Operacao::tan}, {"atan", Operacao::atan}, {"abs", Operacao::abs},
};
constexpr double pi = 0x1.921fb54442d18p+1;
constexpr std::string_view nomes = "x, pi, exp, log, sqrt, sin, cos, tan, atan, abs";

bool digito(char c) { return c >= '0' && c <= '9'; }
bool letra(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool branco(char c) { return c == ' ' || c == '\t'; }
char minuscula(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool mesmo_nome(std::string_view escrito, std::string_view nome) {
    if (escrito.size() != nome.size()) return false;
    for (std::size_t i = 0; i < nome.size(); ++i)
        if (minuscula(escrito[i]) != nome[i]) return false;
    return true;
}

std::string caractere(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) return std::string("'") + c + "'";
    constexpr char hex[] = "0123456789ABCDEF";
    return std::string("byte 0x") + hex[byte >> 4] + hex[byte & 15];
}

using Valor = std::optional<Operando>;

// The reading of one expression: the tokens, the nesting, the first fault.
struct Analisador {
    explicit Analisador(std::string_view t) : texto(t) {}

    std::string_view texto;
    std::size_t proximo = 0;  // where the next token starts, or blanks before it
    Token atual{Simbolo::fim, 0, 0};
    int profundidade = 0;
    std::optional<ErroDeExpressao> erro;
    ConstrutorPrograma construtor;

    Valor falha(std::size_t posicao, std::string mensagem) {
        if (!erro) erro = ErroDeExpressao{posicao, std::move(mensagem)};
        atual = {Simbolo::erro, posicao, posicao};
        return std::nullopt;
    }
};

// digits [. digits] [exponent], or . digits [exponent]; at least one digit
// before the exponent.
void le_numero(Analisador& a, std::size_t inicio) {
    const std::string_view t = a.texto;
    std::size_t i = inicio, digitos = 0;
    while (i < t.size() && digito(t[i])) ++i, ++digitos;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && digito(t[i])) ++i, ++digitos;
    }
    if (digitos == 0) {
        a.falha(inicio, "a number needs digits");
        return;
    }
    if (i < t.size() && (minuscula(t[i]) == 'e' || minuscula(t[i]) == 'd')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (i == t.size() || !digito(t[i])) {
            a.falha(i, "the exponent of a number needs digits");
            return;
        }
        while (i < t.size() && digito(t[i])) ++i;
    }
    double valor = 0.0;
    if (io::convert_real(t.substr(inicio, i - inicio), valor) != 0) {
        a.falha(inicio, "number out of the range of a double");
        return;
    }
    a.atual = {Simbolo::numero, inicio, i, valor};
    a.proximo = i;
}

void avanca(Analisador& a) {
    if (a.erro) return;
    const std::string_view t = a.texto;
    std::size_t i = a.proximo;
    while (i < t.size() && branco(t[i])) ++i;
    if (i == t.size()) {
        a.atual = {Simbolo::fim, i, i};
        a.proximo = i;
        return;
    }
    const char c = t[i];
    if (digito(c) || c == '.') return le_numero(a, i);
    if (letra(c)) {
        std::size_t fim = i;
        while (fim < t.size() && (letra(t[fim]) || digito(t[fim]))) ++fim;
        a.atual = {Simbolo::nome, i, fim};
        a.proximo = fim;
        return;
    }
    Simbolo simbolo;
    std::size_t tamanho = 1;
    switch (c) {
        case '+': simbolo = Simbolo::mais; break;
        case '-': simbolo = Simbolo::menos; break;
        case '/': simbolo = Simbolo::dividido; break;
        case '^': simbolo = Simbolo::potencia; break;
        case '(': simbolo = Simbolo::abre; break;
        case ')': simbolo = Simbolo::fecha; break;
        case '*':
            if (i + 1 < t.size() && t[i + 1] == '*') {
                simbolo = Simbolo::potencia;
                tamanho = 2;
            } else {
                simbolo = Simbolo::vezes;
            }
            break;
        default: a.falha(i, "unexpected character " + caractere(c)); return;
    }
    a.atual = {simbolo, i, i + tamanho};
    a.proximo = i + tamanho;
}

Valor expressao(Analisador& a);

// One more level inside: a sign, an exponent, parentheses or a call.
bool entra(Analisador& a) {
    if (++a.profundidade <= profundidade_maxima) return true;
    a.falha(a.atual.inicio, "nested deeper than " + std::to_string(profundidade_maxima) + " levels");
    return false;
}

Valor espera_operando(Analisador& a) {
    if (a.atual.simbolo == Simbolo::erro) return std::nullopt;
    return a.falha(a.atual.inicio, a.atual.simbolo == Simbolo::fim
                                       ? "the expression ends where a number, x, pi, a function or '(' belongs"
                                       : "expected a number, x, pi, a function or '('");
}

// "(" expression ")", the parenthesis at hand.
Valor entre_parenteses(Analisador& a) {
    if (!entra(a)) return std::nullopt;
    avanca(a);
    const Valor dentro = expressao(a);
    if (!dentro) return std::nullopt;
    if (a.atual.simbolo != Simbolo::fecha) return a.falha(a.atual.inicio, "missing ')'");
    avanca(a);
    --a.profundidade;
    return dentro;
}

Valor primario(Analisador& a) {
    const Token token = a.atual;
    switch (token.simbolo) {
        case Simbolo::numero: avanca(a); return a.construtor.constante(token.valor);
        case Simbolo::abre: return entre_parenteses(a);
        case Simbolo::nome: break;
        default: return espera_operando(a);
    }
    const std::string_view nome = a.texto.substr(token.inicio, token.fim - token.inicio);
    if (mesmo_nome(nome, "x")) {
        avanca(a);
        return ConstrutorPrograma::x();
    }
    if (mesmo_nome(nome, "pi")) {
        avanca(a);
        return a.construtor.constante(pi);
    }
    for (const Funcao& funcao : funcoes) {
        if (!mesmo_nome(nome, funcao.nome)) continue;
        avanca(a);
        if (a.atual.simbolo != Simbolo::abre) {
            if (a.atual.simbolo == Simbolo::erro) return std::nullopt;
            return a.falha(a.atual.inicio, std::string(funcao.nome) + " is a function: its argument goes in parentheses");
        }
        const Valor argumento = entre_parenteses(a);
        if (!argumento) return std::nullopt;
        return a.construtor.passo(funcao.operacao, *argumento);
    }
    return a.falha(token.inicio, "unknown name '" + std::string(nome) + "' (the names are " + std::string(nomes) + ")");
}

Valor com_sinal(Analisador& a);

Valor potencia(Analisador& a) {
    const Valor base = primario(a);
    if (!base || a.atual.simbolo != Simbolo::potencia) return base;
    if (!entra(a)) return std::nullopt;
    avanca(a);
    const Valor expoente = com_sinal(a);
    if (!expoente) return std::nullopt;
    --a.profundidade;
    return a.construtor.passo(Operacao::potencia, *base, *expoente);
}

Valor com_sinal(Analisador& a) {
    const Simbolo sinal = a.atual.simbolo;
    if (sinal != Simbolo::mais && sinal != Simbolo::menos) return potencia(a);
    if (!entra(a)) return std::nullopt;
    avanca(a);
    const Valor operando = com_sinal(a);
    if (!operando) return std::nullopt;
    --a.profundidade;
    return sinal == Simbolo::menos ? a.construtor.passo(Operacao::oposto, *operando) : operando;
}

Valor termo(Analisador& a) {
    Valor esquerdo = com_sinal(a);
    while (esquerdo && (a.atual.simbolo == Simbolo::vezes || a.atual.simbolo == Simbolo::dividido)) {
        const Operacao operacao = a.atual.simbolo == Simbolo::vezes ? Operacao::produto : Operacao::quociente;
        avanca(a);
        const Valor direito = com_sinal(a);
        if (!direito) return std::nullopt;
        esquerdo = a.construtor.passo(operacao, *esquerdo, *direito);
    }
    return esquerdo;
}

Valor expressao(Analisador& a) {
    Valor esquerdo = termo(a);
    while (esquerdo && (a.atual.simbolo == Simbolo::mais || a.atual.simbolo == Simbolo::menos)) {
        const Operacao operacao = a.atual.simbolo == Simbolo::mais ? Operacao::soma : Operacao::diferenca;
        avanca(a);
        const Valor direito = termo(a);
        if (!direito) return std::nullopt;
        esquerdo = a.construtor.passo(operacao, *esquerdo, *direito);
    }
    return esquerdo;
}

}  // namespace

std::variant<Programa, ErroDeExpressao> compila_expressao(std::string_view texto) {
    if (texto.size() > expressao_maxima)
        return ErroDeExpressao{expressao_maxima,
                               "longer than " + std::to_string(expressao_maxima) + " characters"};
    Analisador a(texto);
    avanca(a);
    if (a.atual.simbolo == Simbolo::fim) return ErroDeExpressao{a.atual.inicio, "empty expression"};
    const Valor valor = expressao(a);
    if (valor && a.atual.simbolo != Simbolo::fim) {
        if (a.atual.simbolo == Simbolo::fecha) a.falha(a.atual.inicio, "')' without its '('");
        else a.falha(a.atual.inicio, "expected an operator (+ - * / ** ^) or the end of the expression");
    }
    if (a.erro) return *a.erro;
    return a.construtor.programa(*valor);
}

}  // namespace subrotinas
