#include "subrotinas/relatorio.hpp"

#include <array>
#include <cstddef>
#include <string_view>

#include "io/chars/chars.hpp"
#include "io/command/command.hpp"
#include "io/statement/write_statement.hpp"
#include "io/units/open.hpp"
#include "io/units/close.hpp"
#include "runtime/termination.hpp"
#include "subrotinas/leiaute_relatorio.hpp"

namespace subrotinas {

namespace {

// ---- The formats, built at compile time from the report's layout ------------

// A format text and the pieces it is made of, joined by commas inside the
// outermost parentheses.
struct Formato {
    std::array<char, 256> texto{};  // NUL after the text
    std::size_t n = 0;

    constexpr void junta(std::string_view parte) {
        for (char c : parte) texto[n++] = c;
    }
    constexpr void junta(int valor) {
        char digitos[10];
        int k = 0;
        do {
            digitos[k++] = static_cast<char>('0' + valor % 10);
            valor /= 10;
        } while (valor != 0);
        while (k > 0) texto[n++] = digitos[--k];
    }
};

struct Texto {  // quoted text
    std::string_view texto;
};
struct Linhas {  // n/
    int n;
};
struct Coluna {  // Tn
    int n;
};
struct Inteiro {};  // Iw
struct Caracteres {};  // A
struct Reais {      // r(1P,Ew.d), or 1P,Ew.d for one
    int r = 1;
};

constexpr void junta(Formato& f, Texto t) {
    f.junta("'");
    for (char c : t.texto) {
        f.texto[f.n++] = c;
        if (c == '\'') f.texto[f.n++] = c;
    }
    f.junta("'");
}
constexpr void junta(Formato& f, Linhas l) {
    f.junta(l.n);
    f.junta("/");
}
constexpr void junta(Formato& f, Coluna c) {
    f.junta("T");
    f.junta(c.n);
}
constexpr void junta(Formato& f, Inteiro) {
    f.junta("I");
    f.junta(leiaute::largura_inteiro);
}
constexpr void junta(Formato& f, Caracteres) { f.junta("A"); }
constexpr void junta(Formato& f, Reais r) {
    if (r.r > 1) {
        f.junta(r.r);
        f.junta("(");
    }
    f.junta("1P,E");
    f.junta(leiaute::largura_real);
    f.junta(".");
    f.junta(leiaute::digitos_real);
    if (r.r > 1) f.junta(")");
}

template <class... Partes>
constexpr Formato formato(const Partes&... partes) {
    Formato f;
    f.junta("(");
    bool primeira = true;
    ((f.junta(primeira ? "" : ","), junta(f, partes), primeira = false), ...);
    f.junta(")");
    return f;
}

using namespace leiaute;

// Header formats, one per method: the title, the inputs, `nmax`; and the
// header without its title, for a report whose title is followed by the
// lines naming its equation (it starts with the title's line ends but the
// first, which the title's own statement wrote).
template <class... Partes>
constexpr Formato com_titulo(std::string_view titulo, const Partes&... corpo) {
    return formato(Texto{titulo}, Linhas{fim_titulo}, corpo...);
}
template <class... Partes>
constexpr Formato sem_titulo(const Partes&... corpo) {
    return formato(Linhas{fim_titulo - 1}, corpo...);
}
constexpr auto corpo_intervalo = [](auto cabecalho) {
    return cabecalho(Texto{rotulo_intervalo}, Linhas{1}, Texto{rotulo_a}, Reais{}, Linhas{1}, Texto{rotulo_b},
                     Reais{}, Linhas{1}, Texto{rotulo_tolerancia}, Reais{}, Linhas{1}, Texto{rotulo_nmax},
                     Inteiro{});
};
constexpr auto corpo_estimativa = [](auto cabecalho) {
    return cabecalho(Texto{rotulo_estimativa}, Reais{}, Linhas{1}, Texto{rotulo_tolerancia}, Reais{}, Linhas{1},
                     Texto{rotulo_nmax}, Inteiro{});
};
constexpr auto corpo_tolerancia = [](auto cabecalho) {
    return cabecalho(Texto{rotulo_tolerancia_maiuscula}, Reais{}, Linhas{1}, Texto{rotulo_nmax}, Inteiro{});
};
constexpr auto titulado(std::string_view titulo) {
    return [titulo](const auto&... corpo) { return com_titulo(titulo, corpo...); };
}
constexpr auto sem_titulo_ = [](const auto&... corpo) { return sem_titulo(corpo...); };

constexpr Formato cabecalho_bissecao_ = corpo_intervalo(titulado(titulo_bissecao));
constexpr Formato cabecalho_falsa_posicao_ = corpo_intervalo(titulado(titulo_falsa_posicao));
constexpr Formato cabecalho_ponto_fixo_ = corpo_estimativa(titulado(titulo_ponto_fixo));
constexpr Formato cabecalho_newton_ = corpo_tolerancia(titulado(titulo_newton));
constexpr Formato cabecalho_secante_ = corpo_tolerancia(titulado(titulo_secante));

constexpr Formato titulo_bissecao_ = formato(Texto{titulo_bissecao});
constexpr Formato titulo_falsa_posicao_ = formato(Texto{titulo_falsa_posicao});
constexpr Formato titulo_ponto_fixo_ = formato(Texto{titulo_ponto_fixo});
constexpr Formato titulo_newton_ = formato(Texto{titulo_newton});
constexpr Formato titulo_secante_ = formato(Texto{titulo_secante});

constexpr Formato corpo_intervalo_ = corpo_intervalo(sem_titulo_);
constexpr Formato corpo_estimativa_ = corpo_estimativa(sem_titulo_);
constexpr Formato corpo_tolerancia_ = corpo_tolerancia(sem_titulo_);

// A line naming the equation: its label and its text.
constexpr Formato linha_equacao = formato(Caracteres{}, Caracteres{});

// Formats shared by all methods.
constexpr Formato titulos = formato(Linhas{antes_titulos}, Texto{titulo_iteracao}, Coluna{coluna_solucao},
                                    Texto{titulo_solucao}, Coluna{coluna_variacao}, Texto{titulo_variacao});
constexpr Formato primeira_linha = formato(Inteiro{}, Reais{});
constexpr Formato linha = formato(Inteiro{}, Reais{2});
constexpr Formato falha = formato(Linhas{antes_falha}, Texto{falha_inicio}, Inteiro{}, Texto{falha_fim});

}  // namespace

const char* const formato_bissecao = cabecalho_bissecao_.texto.data();
const char* const formato_falsa_posicao = cabecalho_falsa_posicao_.texto.data();
const char* const formato_ponto_fixo = cabecalho_ponto_fixo_.texto.data();
const char* const formato_newton = cabecalho_newton_.texto.data();
const char* const formato_secante = cabecalho_secante_.texto.data();

const Cabecalho cabecalho_bissecao{formato_bissecao, titulo_bissecao_.texto.data(), corpo_intervalo_.texto.data()};
const Cabecalho cabecalho_falsa_posicao{formato_falsa_posicao, titulo_falsa_posicao_.texto.data(),
                                        corpo_intervalo_.texto.data()};
const Cabecalho cabecalho_ponto_fixo{formato_ponto_fixo, titulo_ponto_fixo_.texto.data(),
                                     corpo_estimativa_.texto.data()};
const Cabecalho cabecalho_newton{formato_newton, titulo_newton_.texto.data(), corpo_tolerancia_.texto.data()};
const Cabecalho cabecalho_secante{formato_secante, titulo_secante_.texto.data(), corpo_tolerancia_.texto.data()};

const char* const formato_titulos = titulos.texto.data();
const char* const formato_primeira_linha = primeira_linha.texto.data();
const char* const formato_linha = linha.texto.data();
const char* const formato_falha = falha.texto.data();

namespace {

constexpr std::string_view notepad = "notepad ";

void fecha_e_mostra(const Relatorio& relatorio) {
    io::close_unit(unidade_relatorio, nullptr, 0, 0);
    char comando[comando_length];
    monta_comando(relatorio.arquivo, comando);
    // The viewer's exit code is kept but never looked at.
    [[maybe_unused]] int resultado = io::run_command(comando, comando_length);
}

}  // namespace

void monta_arquivo(const char* nome, int nome_length, std::string_view tag, char (&arquivo)[arquivo_length]) {
    const io::CharacterTemporary ajustado = io::left_adjust(nome, nome_length);
    int m = io::length_without_trailing_blanks(ajustado.data(), nome_length);
    io::concatenate(arquivo, arquivo_length, {std::string_view(ajustado.data(), static_cast<std::size_t>(m)), tag});
}

void monta_comando(const char (&arquivo)[arquivo_length], char (&comando)[comando_length]) {
    io::concatenate(comando, comando_length, {notepad, std::string_view(arquivo, arquivo_length)});
}

void abre_relatorio(Relatorio& relatorio, const char* nome, int nome_length, std::string_view tag,
                    const Cabecalho& cabecalho, std::initializer_list<rt::real> reais, std::int32_t nmax,
                    std::span<const LinhaEquacao> equacao) {
    monta_arquivo(nome, nome_length, tag, relatorio.arquivo);
    io::OpenSpecifiers especificadores;
    especificadores.file = {relatorio.arquivo, arquivo_length};
    io::open_unit(unidade_relatorio, especificadores, 0);

    if (equacao.empty()) {
        io::begin_write(unidade_relatorio, cabecalho.inteiro, -1);
    } else {
        io::begin_write(unidade_relatorio, cabecalho.titulo, -1);
        io::end_write();
        for (const LinhaEquacao& linha : equacao) {
            io::begin_write(unidade_relatorio, linha_equacao.texto.data(), -1);
            io::write_character_item(linha.rotulo.data(), static_cast<int>(linha.rotulo.size()));
            io::write_character_item(linha.texto.data(), static_cast<int>(linha.texto.size()));
            io::end_write();
        }
        io::begin_write(unidade_relatorio, cabecalho.corpo, -1);
    }
    for (rt::real valor : reais) io::write_real8_item(valor.value());
    io::write_integer_item(nmax);
    io::end_write();

    io::begin_write(unidade_relatorio, formato_titulos, -1);
    io::end_write();
}

void escreve_primeira_linha(std::int32_t i, rt::real p) {
    io::begin_write(unidade_relatorio, formato_primeira_linha, -1);
    io::write_integer_item(i);
    io::write_real8_item(p.value());
    io::end_write();
}

void escreve_linha(std::int32_t i, rt::real p) {
    io::begin_write(unidade_relatorio, formato_linha, -1);
    io::write_integer_item(i);
    io::write_real8_item(p.value());
    io::end_write();
}

void escreve_linha(std::int32_t i, rt::real p, rt::real variacao) {
    io::begin_write(unidade_relatorio, formato_linha, -1);
    io::write_integer_item(i);
    io::write_real8_item(p.value());
    io::write_real8_item(variacao.value());
    io::end_write();
}

void termina_convergido(const Relatorio& relatorio) {
    fecha_e_mostra(relatorio);
    rt::stop_program();
}

void termina_falhou(const Relatorio& relatorio, std::int32_t nmax) {
    io::begin_write(unidade_relatorio, formato_falha, -1);
    io::write_integer_item(nmax);
    io::end_write();
    fecha_e_mostra(relatorio);
}

}  // namespace subrotinas
