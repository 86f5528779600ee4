#pragma once
// The run report every method writes on unit 5, and the hand-off to the
// viewer once the report is closed.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "runtime/real.hpp"
#include "subrotinas/equacao.hpp"

namespace subrotinas {

constexpr int unidade_relatorio = 5;
constexpr int arquivo_length = 70;
constexpr int comando_length = 78;

// Header formats, one per method (Windows-1252 bytes, with a TAB in the
// first two), built from the report's layout (leiaute_relatorio.hpp).
extern const char* const formato_bissecao;
extern const char* const formato_falsa_posicao;
extern const char* const formato_ponto_fixo;
extern const char* const formato_newton;
extern const char* const formato_secante;

// A method's header as one format (`inteiro`), or as its title (`titulo`)
// and the rest (`corpo`), for a report whose title the lines naming its
// equation follow.
struct Cabecalho {
    const char* inteiro;
    const char* titulo;
    const char* corpo;
};
extern const Cabecalho cabecalho_bissecao;
extern const Cabecalho cabecalho_falsa_posicao;
extern const Cabecalho cabecalho_ponto_fixo;
extern const Cabecalho cabecalho_newton;
extern const Cabecalho cabecalho_secante;

// Formats shared by all methods.
extern const char* const formato_titulos;
extern const char* const formato_primeira_linha;
extern const char* const formato_linha;
extern const char* const formato_falha;

struct Relatorio {
    char arquivo[arquivo_length];
};

// `arquivo` from the left-adjusted, trimmed `nome` and the method's tag.
void monta_arquivo(const char* nome, int nome_length, std::string_view tag, char (&arquivo)[arquivo_length]);

// "notepad " followed by all 70 characters of `arquivo`.
void monta_comando(const char (&arquivo)[arquivo_length], char (&comando)[comando_length]);

// The reals of the header and the rows leave the arithmetic here, as the
// values of the records' items.

// Builds the file name, connects unit 5 to it, and writes the header (its
// real items, then `nmax`), with the lines naming the equation after its
// title when there are any, and the table heading.
void abre_relatorio(Relatorio& relatorio, const char* nome, int nome_length, std::string_view tag,
                    const Cabecalho& cabecalho, std::initializer_list<rt::real> reais, std::int32_t nmax,
                    std::span<const LinhaEquacao> equacao);

// A row in the first-row format: row number and iterate.
void escreve_primeira_linha(std::int32_t i, rt::real p);
// A row in the table-row format with two items (no change shown).
void escreve_linha(std::int32_t i, rt::real p);
// A row in the table-row format with the change.
void escreve_linha(std::int32_t i, rt::real p, rt::real variacao);

// Converged: close, run the viewer, stop the program.
[[noreturn]] void termina_convergido(const Relatorio& relatorio);
// Failed: the trailer naming `nmax`, close, run the viewer, return.
void termina_falhou(const Relatorio& relatorio, std::int32_t nmax);

}  // namespace subrotinas
