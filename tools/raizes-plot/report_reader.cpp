#include <algorithm>
#include <array>
#include <charconv>

#include "convergence.hpp"
#include "number_text.hpp"
#include "report.hpp"
#include "text.hpp"

namespace plot {

namespace {

using layout::Field;
using layout::HeaderLine;
using layout::MethodLayout;
using layout::Slot;

ParseError error(std::int64_t line, std::string message) { return {line, std::move(message)}; }

// The words of the title after "método" and its article.
std::string method_name(std::string_view title) {
    std::string_view rest = title.substr(title.rfind(layout::method_word) + layout::method_word.size());
    rest.remove_prefix(rest.find(' ') + 1);
    return windows1252_to_utf8(rest);
}

// The method whose title the first line is, in the report's code page or in
// UTF-8 (after its byte order mark, if any).
struct Title {
    const MethodLayout* layout;
    bool utf8;
};

std::optional<Title> find_title(std::string_view text) {
    const bool marked = text.starts_with(layout::utf8_mark);
    if (marked) text.remove_prefix(layout::utf8_mark.size());
    const auto converted = utf8_to_windows1252(text);
    for (const MethodLayout& candidate : layout::methods) {
        if (!marked && text == candidate.title) return Title{&candidate, false};
        if (converted && *converted == candidate.title) return Title{&candidate, true};
    }
    return std::nullopt;
}

// True when `text`, a line cut short, is the start of a title.
bool starts_a_title(std::string_view text) {
    if (text.starts_with(layout::utf8_mark)) text.remove_prefix(layout::utf8_mark.size());
    for (const MethodLayout& candidate : layout::methods) {
        if (candidate.title.starts_with(text)) return true;
        if (windows1252_to_utf8(candidate.title).starts_with(text)) return true;
    }
    return false;
}

// Why a first line that is no title is not one, when the bytes tell: another
// encoding, or lines that end in CR alone.
std::optional<std::string> first_line_problem(std::string_view text) {
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        return "not a report: the file is UTF-16 text (a report is Windows-1252, or UTF-8)";
    if (text.find('\0') != std::string_view::npos)
        return "not a report: the first line holds NUL bytes (UTF-16 text, or not text at all)";
    const std::size_t cr = text.find('\r');
    if (cr != std::string_view::npos && find_title(text.substr(0, cr)))
        return "not a report: its lines end in CR alone (a report's lines end in CR LF, or LF)";
    return std::nullopt;
}

LineResult read_title(ReportReader& reader, std::string_view text, bool ended) {
    const auto title = find_title(text);
    if (!title) {
        if (!ended && starts_a_title(text)) return error(1, "report cut off in its title");
        return error(1, first_line_problem(text).value_or(
                            "not a report: the first line is not the title of one of the five methods"));
    }
    if (!ended) return error(1, "report cut off after its title");
    reader.layout = title->layout;
    reader.utf8 = title->utf8;
    reader.header.method = title->layout->method;
    reader.header.title = windows1252_to_utf8(title->layout->title);
    reader.header.method_name = method_name(title->layout->title);
    reader.next_row = title->layout->first_row;
    reader.part = ReportReader::Part::equation;
    return std::monostate{};
}

// The label a line naming the equation may have at this point: f's first,
// then the method's companion; none once both are read.
std::string_view next_equation_label(const ReportReader& reader) {
    switch (reader.header.equation.size()) {
        case 0: return layout::equation_label;
        case 1: return reader.layout->companion;
        default: return {};
    }
}

LineResult read_header_line(ReportReader& reader, std::string_view text, bool ended);

// After the title, the lines naming a typed equation, if any; the first
// other line belongs to the header.
LineResult read_equation_line(ReportReader& reader, std::string_view text, bool ended) {
    const std::string_view label = next_equation_label(reader);
    if (label.empty() || !text.starts_with(label)) {
        reader.part = ReportReader::Part::header;
        return read_header_line(reader, text, ended);
    }
    if (!ended) return error(reader.line, "report cut off in the line naming its equation");
    reader.header.equation.push_back(windows1252_to_utf8(text));
    return std::monostate{};
}

LineResult read_header_line(ReportReader& reader, std::string_view text, bool ended) {
    const auto lines = layout::header_lines(reader.layout->header);
    const HeaderLine& expected = lines[reader.header_line];
    const std::int64_t number = reader.line;
    if (!ended)
        return error(number, "report cut off in its header: " + std::string(expected.what) + " is incomplete");
    const std::size_t width = expected.field == Field::real    ? layout::real_width
                              : expected.field == Field::count ? layout::count_width
                                                               : 0;
    if (text.size() != expected.label.size() + width || !text.starts_with(expected.label))
        return error(number, "not a report: expected " + std::string(expected.what));
    const std::string_view field = text.substr(expected.label.size());
    if (expected.field == Field::real) {
        const auto value = parse_real_field(field);
        if (!value) return error(number, "not a report: " + std::string(expected.what) + " is not a number");
        if (expected.slot == Slot::tolerance) reader.header.tolerance = *value;
        else reader.header.header_values.push_back(*value);
    } else if (expected.field == Field::count) {
        const CountField count = parse_count_field(field);
        if (count.kind == CountField::Kind::invalid)
            return error(number, "not a report: " + std::string(expected.what) + " is not a number");
        if (count.kind == CountField::Kind::number) reader.header.nmax = static_cast<std::int32_t>(count.value);
    }
    if (++reader.header_line == lines.size()) reader.part = ReportReader::Part::table;
    return std::monostate{};
}

// The five-character row number must be the one its position gives, or
// asterisks where that number does not fit.
bool row_number_fits(const CountField& field, std::int64_t expected) {
    if (field.kind == CountField::Kind::number) return field.value == expected;
    return field.kind == CountField::Kind::overflow && (expected > 99999 || expected < -9999);
}

LineResult read_row(ReportReader& reader, std::string_view text, bool ended) {
    const std::int64_t number = reader.line;
    const std::int64_t row_number = reader.next_row;
    if (!ended) return error(number, "report cut off: table row " + std::to_string(row_number) + " is incomplete");
    const bool has_change = row_number - reader.layout->first_row >= reader.layout->rows_without_change;
    const std::size_t width = has_change ? layout::long_row_width : layout::short_row_width;
    if (text.size() != width) {
        if (text.size() == layout::short_row_width || text.size() == layout::long_row_width)
            return error(number, "table row " + std::to_string(row_number) +
                                     (has_change ? " has no change" : " has a change where none is written"));
        return error(number, "not a table row (" + std::to_string(text.size()) + " characters where " +
                                 std::to_string(width) + " are written)");
    }
    if (!row_number_fits(parse_count_field(text.substr(0, layout::count_width)), row_number))
        return error(number, "row number out of place: row " + std::to_string(row_number) + " belongs here");
    const auto iterate = parse_real_field(text.substr(layout::count_width, layout::real_width));
    if (!iterate) return error(number, "the iterate of row " + std::to_string(row_number) + " is not a number");
    Row row{row_number, *iterate, std::nullopt};
    if (has_change) {
        const auto change = parse_real_field(text.substr(layout::short_row_width, layout::real_width));
        if (!change || *change < 0)
            return error(number, "the change of row " + std::to_string(row_number) + " is not a number of zero or more");
        row.change = *change;
    }
    ++reader.next_row;
    reader.last_row = row;
    return row;
}

LineResult read_table_line(ReportReader& reader, std::string_view text, bool ended) {
    if (!text.empty() || !ended) return read_row(reader, text, ended);
    if (!reader.last_row) return error(reader.line, "no table rows after the table heading");
    reader.part = ReportReader::Part::second_blank;
    return std::monostate{};
}

LineResult read_trailer(ReportReader& reader, std::string_view text, bool ended) {
    const bool shaped =
        text.size() == layout::trailer_start.size() + layout::count_width + layout::trailer_end.size() &&
        text.starts_with(layout::trailer_start) && text.ends_with(layout::trailer_end);
    if (!shaped) return error(reader.line, ended ? "not the failure line" : "report cut off in the failure line");
    if (parse_count_field(text.substr(layout::trailer_start.size(), layout::count_width)).kind ==
        CountField::Kind::invalid)
        return error(reader.line, "the failure line's count is not a number");
    if (!ended) return error(reader.line, "report cut off: the failure line has no line end");
    reader.part = ReportReader::Part::done;
    return std::monostate{};
}

bool has_high_bytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

LineResult read_line(ReportReader& reader, std::string_view text, bool ended) {
    ++reader.line;
    if (ended && text.ends_with('\r')) text.remove_suffix(1);
    if (reader.part == ReportReader::Part::title) return read_title(reader, text, ended);

    std::string converted;
    if (reader.utf8 && has_high_bytes(text)) {
        auto bytes = utf8_to_windows1252(text);
        if (!bytes) return error(reader.line, "not a report: the line is not UTF-8 text like the title");
        converted = std::move(*bytes);
        text = converted;
    }
    switch (reader.part) {
        case ReportReader::Part::title: break;
        case ReportReader::Part::equation: return read_equation_line(reader, text, ended);
        case ReportReader::Part::header: return read_header_line(reader, text, ended);
        case ReportReader::Part::table: return read_table_line(reader, text, ended);
        case ReportReader::Part::second_blank:
            if (!text.empty() || !ended)
                return error(reader.line, "expected the two empty lines before the failure line");
            reader.part = ReportReader::Part::trailer;
            return std::monostate{};
        case ReportReader::Part::trailer: return read_trailer(reader, text, ended);
        case ReportReader::Part::done: return error(reader.line, "text after the failure line");
    }
    return std::monostate{};
}

std::size_t line_limit(const ReportReader& reader, std::string_view start) {
    if (reader.part != ReportReader::Part::equation) return layout::longest_line;
    const std::string_view label = next_equation_label(reader);
    if (label.empty()) return layout::longest_line;
    const bool labelled = start.size() < label.size() ? label.starts_with(start) : start.starts_with(label);
    return labelled ? layout::longest_equation_line : layout::longest_line;
}

ParseError read_overlong_line(const ReportReader& reader, std::string_view start) {
    const std::int64_t number = reader.line + 1;
    const std::string limit = std::to_string(line_limit(reader, start));
    if (reader.part == ReportReader::Part::title)
        if (auto problem = first_line_problem(start)) return error(number, *problem);
    return error(number, "not a report: a line longer than " + limit + " bytes");
}

std::variant<Ending, ParseError> read_end(const ReportReader& reader) {
    const std::int64_t next = reader.line + 1;
    switch (reader.part) {
        case ReportReader::Part::title: return error(1, "empty file, not a report");
        case ReportReader::Part::equation:
        case ReportReader::Part::header:
            return error(next, "report cut off in its header: " +
                                   std::string(layout::header_lines(reader.layout->header)[reader.header_line].what) +
                                   " is missing");
        case ReportReader::Part::table:
            if (!reader.last_row) return error(next, "no table rows after the table heading");
            return ending_without_trailer(reader.header, *reader.last_row);
        case ReportReader::Part::second_blank:
        case ReportReader::Part::trailer: return error(next, "report cut off before the failure line");
        case ReportReader::Part::done: return Ending::failed;
    }
    return Ending::stopped;
}

std::optional<double> parse_real_field(std::string_view field) {
    if (field.size() != layout::real_width) return std::nullopt;
    const std::size_t at = field.find_first_not_of(' ');
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

}  // namespace plot
