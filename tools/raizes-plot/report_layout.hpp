#pragma once
// Everything raizes-plot knows of how the program lays out a report: the
// five titles, the header lines with their labels and fields, the widths of
// the table's fields, the failure line, and the longest line of all. Texts
// are the report's own Windows-1252 bytes, the program's own constants.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "subrotinas/leiaute_relatorio.hpp"

namespace plot::layout {

// 1P,E25.15 and I5.
inline constexpr std::size_t real_width = leiaute::largura_real;
inline constexpr std::size_t count_width = leiaute::largura_inteiro;
inline constexpr std::size_t short_row_width = count_width + real_width;     // number, iterate
inline constexpr std::size_t long_row_width = short_row_width + real_width;  // and change

enum class Method { bissecao, falsa_posicao, ponto_fixo_simples, newton_raphson, secante };

enum class Header { interval, estimate, tolerance_only };

struct MethodLayout {
    Method method;
    std::string_view title;
    Header header;
    std::int64_t first_row;            // 1, or 0 where the starting values are rows
    std::int64_t rows_without_change;  // the first rows, written without a change
    std::string_view companion;        // the label of g or df after f's, for a typed equation
};

inline constexpr std::array<MethodLayout, 5> methods = {{
    {Method::bissecao, leiaute::titulo_bissecao, Header::interval, 1, 1, {}},
    {Method::falsa_posicao, leiaute::titulo_falsa_posicao, Header::interval, 1, 1, {}},
    {Method::ponto_fixo_simples, leiaute::titulo_ponto_fixo, Header::estimate, 1, 1, leiaute::rotulo_g},
    {Method::newton_raphson, leiaute::titulo_newton, Header::tolerance_only, 0, 1, leiaute::rotulo_df},
    {Method::secante, leiaute::titulo_secante, Header::tolerance_only, 0, 2, {}},
}};

// A typed equation is named right after the title: f's line, then the
// method's companion (g or df), each a label and the expression; the
// derivative that the program works out is named by its own text.
inline constexpr std::string_view equation_label = leiaute::rotulo_f;
inline constexpr std::string_view automatic_derivative = leiaute::df_automatica;

// The title's words that name the method come after this word and its
// article.
inline constexpr std::string_view method_word = "m\xE9todo ";

// One header line after the title: a label and at most one field.
enum class Field { none, real, count };
enum class Slot { none, value, tolerance, nmax };

struct HeaderLine {
    std::string_view label;
    Field field;
    Slot slot;
    std::string_view what;  // for messages
};

inline constexpr HeaderLine blank_line{"", Field::none, Slot::none, "an empty line"};
// The table heading: its three titles at their columns.
inline constexpr auto heading_text = [] {
    std::array<char, leiaute::coluna_variacao - 1 + leiaute::titulo_variacao.size()> text{};
    text.fill(' ');
    const auto place = [&text](std::string_view title, int column) {
        for (std::size_t i = 0; i < title.size(); ++i) text[static_cast<std::size_t>(column - 1) + i] = title[i];
    };
    place(leiaute::titulo_iteracao, 1);
    place(leiaute::titulo_solucao, leiaute::coluna_solucao);
    place(leiaute::titulo_variacao, leiaute::coluna_variacao);
    return text;
}();

inline constexpr HeaderLine nmax_line{leiaute::rotulo_nmax, Field::count, Slot::nmax,
                                      "the maximum number of iterations"};
inline constexpr HeaderLine heading_line{std::string_view(heading_text.data(), heading_text.size()), Field::none,
                                         Slot::none, "the table heading"};
inline constexpr HeaderLine tolerance_lower{leiaute::rotulo_tolerancia, Field::real, Slot::tolerance, "the tolerance"};

inline constexpr std::array interval_header = {
    blank_line,
    HeaderLine{leiaute::rotulo_intervalo, Field::none, Slot::none, "the line 'Intervalo inicial:'"},
    HeaderLine{leiaute::rotulo_a, Field::real, Slot::value, "the end a"},
    HeaderLine{leiaute::rotulo_b, Field::real, Slot::value, "the end b"},
    tolerance_lower, nmax_line, blank_line, blank_line, heading_line,
};
inline constexpr std::array estimate_header = {
    blank_line,
    HeaderLine{leiaute::rotulo_estimativa, Field::real, Slot::value, "the initial estimate"},
    tolerance_lower, nmax_line, blank_line, blank_line, heading_line,
};
inline constexpr std::array tolerance_header = {
    blank_line,
    HeaderLine{leiaute::rotulo_tolerancia_maiuscula, Field::real, Slot::tolerance, "the tolerance"},
    nmax_line, blank_line, blank_line, heading_line,
};

constexpr std::span<const HeaderLine> header_lines(Header kind) {
    switch (kind) {
        case Header::interval: return interval_header;
        case Header::estimate: return estimate_header;
        case Header::tolerance_only: return tolerance_header;
    }
    return {};
}

// After the table, two empty lines and this line with nmax in I5.
inline constexpr std::string_view trailer_start = leiaute::falha_inicio;
inline constexpr std::string_view trailer_end = leiaute::falha_fim;

// A report converted to UTF-8 may begin with a byte order mark.
inline constexpr std::string_view utf8_mark = "\xEF\xBB\xBF";

// Bytes of a text in UTF-8: every byte above 0x7F of these texts becomes two.
constexpr std::size_t utf8_size(std::string_view windows1252) {
    std::size_t n = 0;
    for (char c : windows1252) n += static_cast<unsigned char>(c) < 0x80 ? 1 : 2;
    return n;
}

constexpr std::size_t longest_text() {
    std::size_t longest = long_row_width;
    for (const MethodLayout& m : methods) longest = longest < utf8_size(m.title) ? utf8_size(m.title) : longest;
    for (Header h : {Header::interval, Header::estimate, Header::tolerance_only})
        for (const HeaderLine& line : header_lines(h)) {
            const std::size_t width = line.field == Field::real ? real_width : line.field == Field::count ? count_width : 0;
            const std::size_t size = utf8_size(line.label) + width;
            longest = longest < size ? size : longest;
        }
    const std::size_t trailer = utf8_size(trailer_start) + count_width + utf8_size(trailer_end);
    return longest < trailer ? trailer : longest;
}

// No line of a report, in Windows-1252 or in UTF-8 with its byte order mark
// and CR before the LF, is longer than this; a longer line is refused as soon
// as it is seen.
inline constexpr std::size_t longest_line = 64;
static_assert(utf8_mark.size() + longest_text() + 1 <= longest_line);

// Only a line naming the equation may be longer: its label, an expression
// (ASCII) or the automatic derivative's text, and CR.
inline constexpr std::size_t longest_equation_line =
    utf8_size(leiaute::rotulo_df) + leiaute::expressao_maxima + 1;
static_assert(utf8_size(automatic_derivative) <= leiaute::expressao_maxima);

}  // namespace plot::layout
