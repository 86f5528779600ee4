#pragma once
// A report of one run as the program writes it, read back: the method, the
// inputs of the header, every table row and how the run ended.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace plot {

enum class Method { bissecao, falsa_posicao, ponto_fixo_simples, newton_raphson, secante };

enum class Ending {
    converged,  // no failure line, and the last row may have met the test
    failed,     // the failure line after the table
    stopped,    // no failure line, yet the last row cannot have converged
};

struct Row {
    std::int64_t number;           // counted by position: "*****" rows too
    double iterate;
    std::optional<double> change;  // |p(i) - p(i-1)|, absent in the first rows
};

struct Report {
    Method method{};
    std::string title;        // the title line, UTF-8
    std::string method_name;  // the title's words after "método da/do/de", UTF-8
    // Header values before the tolerance: a and b (interval methods) or p0
    // (fixed point); none for Newton-Raphson and secant, whose starting
    // values are rows.
    std::vector<double> header_values;
    double tolerance = 0;
    std::optional<std::int32_t> nmax;  // absent when written as asterisks
    std::vector<Row> rows;
    Ending ending = Ending::converged;
};

struct ParseError {
    std::int64_t line;  // 1-based
    std::string message;
};

using ParseResult = std::variant<Report, ParseError>;

// Reads a whole report from its bytes (Windows-1252; CR LF line ends, a bare
// LF is taken too).
ParseResult parse_report(std::string_view bytes);

// One 1P,E25.15 field: blanks, an optional '-', d.ddddddddddddddd and an
// exponent "E+dd" or, from 100 on, "+ddd" without the letter. Anything else,
// the non-finite texts included, is not a number.
std::optional<double> parse_real_field(std::string_view field);

// One Iw field. Asterisks across the whole field are an overflow.
struct CountField {
    enum class Kind { number, overflow, invalid } kind;
    std::int64_t value;
};
CountField parse_count_field(std::string_view field);

}  // namespace plot
