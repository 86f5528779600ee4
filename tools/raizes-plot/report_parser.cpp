#include "report.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <span>

#include "number_text.hpp"
#include "text.hpp"

namespace plot {

namespace {

constexpr std::size_t real_width = 25;
constexpr std::size_t count_width = 5;
constexpr std::size_t short_row_width = count_width + real_width;   // number, iterate
constexpr std::size_t long_row_width = short_row_width + real_width;  // and change

enum class Header { interval, estimate, tolerance_only };

struct MethodLayout {
    Method method;
    std::string_view title;  // Windows-1252 bytes
    Header header;
    std::int64_t first_row;
    std::int64_t rows_without_change;
};

constexpr std::array<MethodLayout, 5> layouts = {{
    {Method::bissecao, "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o", Header::interval, 1, 1},
    {Method::falsa_posicao, "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da falsa posi\xE7\xE3o", Header::interval, 1, 1},
    {Method::ponto_fixo_simples, "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo do ponto fixo simples", Header::estimate, 1,
     1},
    {Method::newton_raphson, "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo de Newton-Raphson", Header::tolerance_only, 0,
     1},
    {Method::secante, "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da secante", Header::tolerance_only, 0, 2},
}};

// One header line after the title: a label and at most one field.
enum class Field { none, real, count };
enum class Slot { none, value, tolerance, nmax };

struct HeaderLine {
    std::string_view label;
    Field field;
    Slot slot;
    std::string_view what;  // for messages
};

constexpr HeaderLine blank_line{"", Field::none, Slot::none, "an empty line"};
constexpr HeaderLine nmax_line{"n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:", Field::count, Slot::nmax,
                               "the maximum number of iterations"};
constexpr HeaderLine heading_line{"Itera\xE7\xE3o   Solu\xE7\xE3o aproximada          Varia\xE7\xE3o", Field::none,
                                  Slot::none, "the table heading"};
constexpr HeaderLine tolerance_lower{"toler\xE2ncia admitida: ", Field::real, Slot::tolerance, "the tolerance"};

constexpr std::array interval_header = {
    blank_line,
    HeaderLine{"Intervalo\tinicial:", Field::none, Slot::none, "the line 'Intervalo inicial:'"},
    HeaderLine{"a = ", Field::real, Slot::value, "the end a"},
    HeaderLine{"b = ", Field::real, Slot::value, "the end b"},
    tolerance_lower, nmax_line, blank_line, blank_line, heading_line,
};
constexpr std::array estimate_header = {
    blank_line,
    HeaderLine{"Estimativa inicial (p0) = ", Field::real, Slot::value, "the initial estimate"},
    tolerance_lower, nmax_line, blank_line, blank_line, heading_line,
};
constexpr std::array tolerance_header = {
    blank_line,
    HeaderLine{"Toler\xE2ncia admitida: ", Field::real, Slot::tolerance, "the tolerance"},
    nmax_line, blank_line, blank_line, heading_line,
};

std::span<const HeaderLine> header_lines(Header kind) {
    switch (kind) {
        case Header::interval: return interval_header;
        case Header::estimate: return estimate_header;
        case Header::tolerance_only: return tolerance_header;
    }
    return {};
}

constexpr std::string_view trailer_start = "O m\xE9todo falhou ap\xF3s ";
constexpr std::string_view trailer_end = " itera\xE7\xF5" "es";

// The reading position in the file: one line at a time.
struct Cursor {
    std::string_view rest;
    std::int64_t line = 0;  // number of the line last taken
};

struct Line {
    std::string_view text;
    bool ended;  // false: the file stops inside this line
};

bool at_end(const Cursor& c) { return c.rest.empty(); }

Line take_line(Cursor& c) {
    ++c.line;
    const std::size_t lf = c.rest.find('\n');
    if (lf == std::string_view::npos) {
        Line cut{c.rest, false};
        c.rest = {};
        return cut;
    }
    std::string_view text = c.rest.substr(0, lf);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    c.rest.remove_prefix(lf + 1);
    return {text, true};
}

ParseError error(std::int64_t line, std::string message) { return {line, std::move(message)}; }

// The words of the title after "método" and its article.
std::string method_name(std::string_view title) {
    constexpr std::string_view word = "m\xE9todo ";
    std::string_view rest = title.substr(title.rfind(word) + word.size());
    rest.remove_prefix(rest.find(' ') + 1);
    return windows1252_to_utf8(rest);
}

std::optional<ParseError> read_header_line(const HeaderLine& expected, const Line& line, std::int64_t number,
                                           Report& report) {
    if (!line.ended)
        return error(number, "report cut off in its header: " + std::string(expected.what) + " is incomplete");
    const std::size_t width =
        expected.field == Field::real ? real_width : expected.field == Field::count ? count_width : 0;
    const std::string_view text = line.text;
    if (text.size() != expected.label.size() + width || text.substr(0, expected.label.size()) != expected.label)
        return error(number, "not a report: expected " + std::string(expected.what));
    const std::string_view field = text.substr(expected.label.size());
    if (expected.field == Field::real) {
        const auto value = parse_real_field(field);
        if (!value) return error(number, "not a report: " + std::string(expected.what) + " is not a number");
        if (expected.slot == Slot::tolerance) report.tolerance = *value;
        else report.header_values.push_back(*value);
    } else if (expected.field == Field::count) {
        const CountField count = parse_count_field(field);
        if (count.kind == CountField::Kind::invalid)
            return error(number, "not a report: " + std::string(expected.what) + " is not a number");
        if (count.kind == CountField::Kind::number) report.nmax = static_cast<std::int32_t>(count.value);
    }
    return std::nullopt;
}

// The five-character row number must be the one its position gives, or
// asterisks where that number does not fit.
bool row_number_fits(const CountField& field, std::int64_t expected) {
    if (field.kind == CountField::Kind::number) return field.value == expected;
    return field.kind == CountField::Kind::overflow && (expected > 99999 || expected < -9999);
}

std::optional<ParseError> read_row(const Line& line, std::int64_t number, std::int64_t row_number,
                                   bool has_change, Report& report) {
    if (!line.ended) return error(number, "report cut off: table row " + std::to_string(row_number) + " is incomplete");
    const std::size_t width = has_change ? long_row_width : short_row_width;
    const std::string_view text = line.text;
    if (text.size() != width) {
        if (text.size() == short_row_width || text.size() == long_row_width)
            return error(number, "table row " + std::to_string(row_number) +
                                     (has_change ? " has no change" : " has a change where none is written"));
        return error(number, "not a table row (" + std::to_string(text.size()) + " characters where " +
                                 std::to_string(width) + " are written)");
    }
    if (!row_number_fits(parse_count_field(text.substr(0, count_width)), row_number))
        return error(number, "row number out of place: row " + std::to_string(row_number) + " belongs here");
    const auto iterate = parse_real_field(text.substr(count_width, real_width));
    if (!iterate) return error(number, "the iterate of row " + std::to_string(row_number) + " is not a number");
    Row row{row_number, *iterate, std::nullopt};
    if (has_change) {
        const auto change = parse_real_field(text.substr(short_row_width, real_width));
        if (!change || *change < 0)
            return error(number, "the change of row " + std::to_string(row_number) + " is not a number of zero or more");
        row.change = *change;
    }
    report.rows.push_back(row);
    return std::nullopt;
}

// The failure line, after two empty lines, ends the file.
std::optional<ParseError> read_trailer(Cursor& c) {
    for (int blank = 0; blank < 2; ++blank) {
        if (at_end(c)) return error(c.line + 1, "report cut off before the failure line");
        const Line line = take_line(c);
        if (!line.ended || !line.text.empty())
            return error(c.line, "expected the two empty lines before the failure line");
    }
    if (at_end(c)) return error(c.line + 1, "report cut off before the failure line");
    const Line line = take_line(c);
    const std::string_view text = line.text;
    const bool shaped = text.size() == trailer_start.size() + count_width + trailer_end.size() &&
                        text.starts_with(trailer_start) && text.ends_with(trailer_end);
    if (!shaped) return error(c.line, line.ended ? "not the failure line" : "report cut off in the failure line");
    if (parse_count_field(text.substr(trailer_start.size(), count_width)).kind == CountField::Kind::invalid)
        return error(c.line, "the failure line's count is not a number");
    if (!line.ended) return error(c.line, "report cut off: the failure line has no line end");
    if (!at_end(c)) return error(c.line + 1, "text after the failure line");
    return std::nullopt;
}

// A report without the failure line ended on its last row. The methods other
// than bisection stop only on a change below the tolerance: the printed
// values, each rounded to 16 digits, keep that order or become equal.
Ending ending_without_trailer(const Report& report) {
    const Row& last = report.rows.back();
    if (report.method == Method::bissecao || !last.change) return Ending::converged;
    const double change = *last.change;
    const bool may_have_met = change < report.tolerance || (change == report.tolerance && report.tolerance > 0);
    return may_have_met ? Ending::converged : Ending::stopped;
}

}  // namespace

std::optional<double> parse_real_field(std::string_view field) {
    if (field.size() != real_width) return std::nullopt;
    std::size_t at = field.find_first_not_of(' ');
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view text = field.substr(at);
    // Mantissa d.ddddddddddddddd (17 characters), exponent 4 characters.
    const bool negative = text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.size() != 21) return std::nullopt;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t i = 0; i < 17; ++i)
        if (i == 1 ? text[i] != '.' : !digit(text[i])) return std::nullopt;
    std::string_view exponent = text.substr(17);
    if (exponent[0] == 'E') exponent.remove_prefix(1);
    if (exponent.size() < 3 || (exponent[0] != '+' && exponent[0] != '-')) return std::nullopt;
    for (char c : exponent.substr(1))
        if (!digit(c)) return std::nullopt;
    std::array<char, 32> buffer{};
    std::size_t n = 0;
    if (negative) buffer[n++] = '-';
    for (char c : text.substr(0, 17)) buffer[n++] = c;
    buffer[n++] = 'e';
    for (char c : exponent) buffer[n++] = c;
    return read_scientific(std::string_view(buffer.data(), n));
}

CountField parse_count_field(std::string_view field) {
    const CountField invalid{CountField::Kind::invalid, 0};
    if (field.empty()) return invalid;
    if (field.find_first_not_of('*') == std::string_view::npos) return {CountField::Kind::overflow, 0};
    const std::size_t at = field.find_first_not_of(' ');
    if (at == std::string_view::npos) return invalid;
    std::int64_t value = 0;
    const auto [end, status] = std::from_chars(field.data() + at, field.data() + field.size(), value);
    if (status != std::errc{} || end != field.data() + field.size() || field[at] == '+') return invalid;
    return {CountField::Kind::number, value};
}

ParseResult parse_report(std::string_view bytes) {
    if (bytes.empty()) return error(1, "empty file, not a report");
    Cursor c{bytes};
    const Line title = take_line(c);
    const MethodLayout* layout = nullptr;
    for (const auto& candidate : layouts)
        if (title.text == candidate.title) layout = &candidate;
    if (!layout) {
        for (const auto& candidate : layouts)
            if (!title.ended && candidate.title.starts_with(title.text))
                return error(1, "report cut off in its title");
        return error(1, "not a report: the first line is not the title of one of the five methods");
    }
    if (!title.ended) return error(1, "report cut off after its title");

    Report report;
    report.method = layout->method;
    report.title = windows1252_to_utf8(title.text);
    report.method_name = method_name(title.text);

    for (const HeaderLine& expected : header_lines(layout->header)) {
        if (at_end(c)) return error(c.line + 1, "report cut off in its header: " + std::string(expected.what) + " is missing");
        const Line line = take_line(c);
        if (auto failure = read_header_line(expected, line, c.line, report)) return *failure;
    }

    report.rows.reserve(bytes.size() / (long_row_width + 2) + 2);
    std::int64_t row_number = layout->first_row;
    while (!at_end(c)) {
        if (c.rest.front() == '\r' || c.rest.front() == '\n') {
            if (report.rows.empty()) return error(c.line + 1, "no table rows after the table heading");
            if (auto failure = read_trailer(c)) return *failure;
            report.ending = Ending::failed;
            return report;
        }
        const Line line = take_line(c);
        const bool has_change = row_number - layout->first_row >= layout->rows_without_change;
        if (auto failure = read_row(line, c.line, row_number, has_change, report)) return *failure;
        ++row_number;
    }
    if (report.rows.empty()) return error(c.line + 1, "no table rows after the table heading");
    report.ending = ending_without_trailer(report);
    return report;
}

}  // namespace plot
