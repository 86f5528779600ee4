// The list-directed reader: one value per item, by the type of the item.
#include "io/listio/list_input.hpp"

#include <cstring>
#include <string>
#include <string_view>

#include "io/listio/conversions.hpp"
#include "io/listio/scanner.hpp"
#include "io/units/console.hpp"
#include "io/units/failure.hpp"
#include "io/units/unit_table.hpp"
#include "platform/console.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

// Whether the element is left as it is: after a slash every later element
// of the statement is, unless a repeat count is still running.
bool skipped(const Scanner& scanner) { return scanner.separator == '/' && scanner.repeat_pending == 0; }

bool is_null(const Scanner& scanner) { return scanner.length == 0; }

void require_plain(const Scanner& scanner) {
    if (scanner.mode != ValueMode::plain) fail(rt::msg::value_form);
}

void fill_blanks(char* text, int from, int length) {
    if (from < length) std::memset(text + from, ' ', static_cast<std::size_t>(length - from));
}

// A character item takes the value's first characters and blanks after them.
// A quoted value read for this very item is already in it.
void store_character(const Scanner& scanner, bool repeated, char* text, int length) {
    const int end = scanner.length < length ? scanner.length : length;
    if ((scanner.mode != ValueMode::quoted || repeated) && end > 0)
        std::memcpy(text, scanner.text, static_cast<std::size_t>(end));
    fill_blanks(text, end, length);
}

}  // namespace

Unit& list_input_unit(int number) {
    Unit* unit = number == default_input_unit ? &console_input_unit() : lookup_unit(number, Direction::input);
    if (unit == nullptr || unit->connection.kind != UnitKind::console || unit->connection.in_handle < 0) fail(rt::msg::read_failure);
    return *unit;
}

// Output written on the single console unit since the last read leaves its
// line end owed and any typed-ahead text stale: the line is ended and the
// buffer emptied, so the answer comes from a line typed after the prompt.
void start_list_read(ListRead& read, Unit& unit) {
    read.unit = &unit;
    if (unit.record_written) {
        settle_console_line(unit);
        unit.buffer.discard();
    }
    start_scanner(read.scanner, unit, plat::is_console(unit.connection.in_handle));
}

void read_integer(ListRead& read, std::int32_t& value) {
    Scanner& scanner = read.scanner;
    if (skipped(scanner)) return;
    scan_value(scanner, QuotedTarget{});
    if (is_null(scanner)) return;
    require_plain(scanner);
    std::int32_t converted = 0;
    if (int error = convert_integer(scanner.value_text(), converted)) fail(error);
    value = converted;
}

void read_real8(ListRead& read, double& value) {
    Scanner& scanner = read.scanner;
    if (skipped(scanner)) return;
    scan_value(scanner, QuotedTarget{});
    if (is_null(scanner)) return;
    require_plain(scanner);
    double converted = 0.0;
    if (int error = convert_real(scanner.value_text(), converted)) fail(error);
    value = converted;
}

void read_character(ListRead& read, char* text, int length) {
    Scanner& scanner = read.scanner;
    if (skipped(scanner)) return;
    const bool repeated = scan_value(scanner, QuotedTarget{text, length});
    if (is_null(scanner)) return;
    store_character(scanner, repeated, text, length);
}

void end_list_read(ListRead& read) {
    if (!read.scanner.line_end) take_next_record(*read.unit, read.scanner.console);
}

namespace {

namespace msg = rt::msg;

constexpr int value_errors[] = {msg::integer_out_of_range, msg::invalid_integer,  msg::real_out_of_range,
                                msg::invalid_real,         msg::second_radix_mark, msg::radix_out_of_range,
                                msg::repeat_count_zero,    msg::second_repeat_count, msg::value_form,
                                msg::value_too_long};
constexpr std::size_t shown_characters = 40;

void put_escaped(std::string& out, unsigned char c) {
    static constexpr char hex[] = "0123456789ABCDEF";
    if (c >= 0x20 && c < 0x7F) {
        out += static_cast<char>(c);
        return;
    }
    out += "\\x";
    out += hex[c >> 4];
    out += hex[c & 0xF];
}

}  // namespace

std::string typed_value_detail(const ListRead& read, int message_number) {
    bool caused_by_value = false;
    for (int number : value_errors) caused_by_value = caused_by_value || number == message_number;
    if (!caused_by_value) return {};
    const std::string_view typed = read.scanner.value_text();
    std::string detail = "; typed: \"";
    for (std::size_t i = 0; i < typed.size() && i < shown_characters; ++i)
        put_escaped(detail, static_cast<unsigned char>(typed[i]));
    if (typed.size() > shown_characters) detail += "...";
    detail += '"';
    return detail;
}

}  // namespace io
