#pragma once
// A report of one run as the program writes it, read back a line at a time:
// the method and the inputs of the header, then every table row, then how
// the run ended.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "report_layout.hpp"

namespace plot {

using layout::Method;

enum class Ending {
    converged,  // no failure line, and the last row may have met the method's test
    failed,     // the failure line after the table
    stopped,    // no failure line, yet the last row cannot have met the test
};

struct Row {
    std::int64_t number;           // counted by position: "*****" rows too
    double iterate;
    std::optional<double> change;  // |p(i) - p(i-1)|, absent in the first rows
};

struct ReportHeader {
    Method method{};
    std::string title;        // the title line, UTF-8
    std::string method_name;  // the title's words after "método da/do/de", UTF-8
    // The lines naming a typed equation ("f(x) = ...", then g's or df's),
    // UTF-8; none for the built-in equation.
    std::vector<std::string> equation;
    // Header values before the tolerance: a and b (interval methods) or p0
    // (fixed point); none for Newton-Raphson and secant, whose starting
    // values are rows.
    std::vector<double> header_values;
    double tolerance = 0;
    std::optional<std::int32_t> nmax;  // absent when written as asterisks
};

struct ParseError {
    std::int64_t line;  // 1-based
    std::string message;
};

// The reading of one report, line after line.
struct ReportReader {
    enum class Part { title, equation, header, table, second_blank, trailer, done };
    Part part = Part::title;
    bool utf8 = false;  // the report was converted to UTF-8: lines are converted back
    const layout::MethodLayout* layout = nullptr;
    std::size_t header_line = 0;  // the next header line expected
    std::int64_t line = 0;        // lines taken
    std::int64_t next_row = 0;
    std::optional<Row> last_row;
    ReportHeader header;
};

// What one line held: nothing to draw, a table row, or why it cannot be part
// of a report.
using LineResult = std::variant<std::monostate, Row, ParseError>;

// One line, without its LF (a CR before the LF is still there); `ended` is
// false for the end of an input that stops inside a line.
LineResult read_line(ReportReader& reader, std::string_view text, bool ended);

// How long the next line may be, from its start (what was seen of it, at
// least its first 8 bytes when it has them): layout::longest_line, or
// layout::longest_equation_line for a line naming the equation.
std::size_t line_limit(const ReportReader& reader, std::string_view start);

// The next line is longer than line_limit(); `start` is as much of it as
// was seen.
ParseError read_overlong_line(const ReportReader& reader, std::string_view start);

// At the end of the input: how the run ended, or why the report is not whole.
std::variant<Ending, ParseError> read_end(const ReportReader& reader);

// One 1P,E25.15 field: blanks, an optional '-', d.ddddddddddddddd and an
// exponent "E+dd" or, from 100 on, "+ddd" without the letter. A value above
// the largest double is the largest double of its sign. Anything else, the
// non-finite texts included, is not a number.
std::optional<double> parse_real_field(std::string_view field);

// One Iw field. Asterisks across the whole field are an overflow.
struct CountField {
    enum class Kind { number, overflow, invalid } kind;
    std::int64_t value;
};
CountField parse_count_field(std::string_view field);

}  // namespace plot
