#include "io/listio/scanner.hpp"

#include "io/listio/list_input.hpp"
#include "io/listio/list_input_errors.hpp"
#include "io/units/failure.hpp"
#include "platform/console.hpp"

namespace io {

namespace {

constexpr char end_of_file_mark = 0x1A;  // Ctrl+Z

void discard_buffer(Unit& unit) {
    unit.position = 0;
    unit.last_valid = -1;
}

// A terminal delivers one typed line per read. A pipe or file delivers
// whatever its writer has passed on so far, so it is read on until the
// buffer is full, a line is complete or the input ends: where the buffer
// ends must not depend on how the writer happened to split its bytes.
long read_record_bytes(int handle, char* buffer, bool console) {
    long count = 0;
    do {
        const long n = plat::read_some(handle, buffer + count, static_cast<std::size_t>(console_buffer_size - count));
        if (n < 0) return -1;
        if (n == 0) break;
        count += n;
    } while (!console && count < console_buffer_size && buffer[count - 1] != '\n');
    return count;
}

}  // namespace

int refill(Unit& unit, bool console) {
    char* buffer = unit.buffer.get();
    // Input that ends without a line end at the buffer's edge still ends its
    // last line: the end of input shows first as the missing LF.
    const bool line_open = unit.last_valid >= 0 && buffer[unit.last_valid] != '\n';

    const long n = read_record_bytes(unit.in_handle, buffer, console);
    discard_buffer(unit);
    if (n < 0) fail(error_read_failure);
    if (n == 0) {
        if (line_open) {
            buffer[0] = '\n';
            unit.last_valid = 0;
            unit.position = 1;
            return '\n';
        }
        unit.at_eof = true;
        fail(error_end_of_file);
    }
    const int count = static_cast<int>(n);
    const bool ends_line = buffer[count - 1] == '\n';
    if (count == console_buffer_size && !ends_line && console) fail(error_console_line_long);
    // Ctrl+Z before the line end, whether it is CR LF or LF alone.
    const bool end_of_file_line = (count >= 3 && buffer[count - 3] == end_of_file_mark) ||
                                  (count >= 2 && ends_line && buffer[count - 2] == end_of_file_mark);
    if (end_of_file_line) {
        unit.at_eof = true;
        fail(error_end_of_file);
    }
    unit.last_valid = count - 1;
    if (count < console_buffer_size && !ends_line) buffer[++unit.last_valid] = '\n';
    unit.position = 1;
    return static_cast<unsigned char>(buffer[0]);
}

int next_character(Unit& unit, bool console) {
    if (unit.position > unit.last_valid) return refill(unit, console);
    return static_cast<unsigned char>(unit.buffer[unit.position++]);
}

void step_back(Unit& unit) {
    if (unit.position > 0) --unit.position;
}

void take_next_record(Unit& unit, bool console) {
    if (console) {
        if (unit.position == 0 && unit.last_valid < 0) refill(unit, console);
        discard_buffer(unit);
        return;
    }
    while (next_character(unit, console) != '\n') {
    }
}

void start_scanner(Scanner& scanner, Unit& unit, bool console) {
    scanner.unit = &unit;
    scanner.console = console;
    scanner.separator = ',';
    scanner.repeat_pending = 0;
    scanner.line_end = false;
}

namespace {

// A value is refused as soon as it outgrows the work area, so that input
// that never ends a value cannot keep the statement reading.
void append(Scanner& scanner, char c) {
    if (scanner.length == value_text_capacity) fail(error_value_too_long);
    scanner.text[scanner.length++] = c;
}

// A character of a quoted value goes straight into the character item, and
// into the work area so that a repeat count can give it to later items.
void store_quoted(Scanner& scanner, QuotedTarget target, char c) {
    if (scanner.length < target.length) target.text[scanner.length] = c;
    append(scanner, c);
}

void start_repeat(Scanner& scanner) {
    if (scanner.repeat_pending != 0) fail(error_second_repeat);
    std::int32_t count = 0;
    if (int error = convert_integer(scanner.value_text(), count)) fail(error);
    if (count == 0) fail(error_repeat_zero);
    scanner.repeat_pending = static_cast<std::uint32_t>(count) - 1;
    scanner.length = 0;
}

enum class Step { go_on, value_ends };

// One character of a quoted value. The closing quote is known only by the
// character after it: a second quote stands for one quote character.
Step quoted_character(Scanner& scanner, QuotedTarget target, int c) {
    Unit& unit = *scanner.unit;
    if (c == static_cast<unsigned char>(scanner.quote)) {
        const int following = next_character(unit, scanner.console);
        if (following != c) {
            if (following == '\n') step_back(unit);
            scanner.separator = static_cast<char>(following);
            return Step::value_ends;
        }
    }
    store_quoted(scanner, target, static_cast<char>(c));
    return Step::go_on;
}

Step plain_character(Scanner& scanner, int c) {
    const bool parenthesised = scanner.mode == ValueMode::parenthesised;
    switch (c) {
        case ' ':
        case '\t':
            if (scanner.length == 0 && scanner.repeat_pending == 0) return Step::go_on;
            if (parenthesised) return Step::go_on;
            scanner.separator = ' ';
            return Step::value_ends;
        case '(':
            if (scanner.length != 0) break;
            scanner.mode = ValueMode::parenthesised;
            return Step::go_on;
        case ')':
            if (!parenthesised) break;
            scanner.separator = ' ';
            return Step::value_ends;
        case '\'':
        case '"':
            if (scanner.length != 0) break;
            scanner.mode = ValueMode::quoted;
            scanner.quote = static_cast<char>(c);
            scanner.separator = static_cast<char>(c);
            return Step::go_on;
        case '*':
            start_repeat(scanner);
            return Step::go_on;
        case ',':
            if (scanner.length == 0 && scanner.separator == ' ' && scanner.repeat_pending == 0) {
                scanner.separator = ',';  // a comma after blanks is one separator
                return Step::go_on;
            }
            if (!parenthesised) {
                scanner.separator = ',';
                return Step::value_ends;
            }
            scanner.comma_position = scanner.length;
            break;
        case '/':
            scanner.separator = '/';
            return Step::value_ends;
        default:
            break;
    }
    append(scanner, static_cast<char>(c));
    return Step::go_on;
}

// CR or LF: the line ends. A quoted value goes on with the next line, whose
// first character is skipped; otherwise the line end counts as a blank.
Step line_end_character(Scanner& scanner) {
    Unit& unit = *scanner.unit;
    step_back(unit);
    take_next_record(unit, scanner.console);
    if (scanner.mode == ValueMode::quoted) {
        next_character(unit, scanner.console);
        return Step::go_on;
    }
    if (scanner.length == 0 && scanner.repeat_pending == 0) return Step::go_on;
    if (scanner.mode == ValueMode::parenthesised) return Step::go_on;
    if (scanner.length != 0) scanner.line_end = true;
    scanner.separator = ' ';
    return Step::value_ends;
}

}  // namespace

bool scan_value(Scanner& scanner, QuotedTarget target) {
    if (scanner.repeat_pending != 0) {
        --scanner.repeat_pending;
        return true;
    }
    scanner.line_end = false;
    scanner.length = 0;
    scanner.mode = ValueMode::plain;
    scanner.comma_position = -1;

    Unit& unit = *scanner.unit;
    for (;;) {
        const int c = next_character(unit, scanner.console);
        Step step;
        if (c == '\r' || c == '\n')
            step = line_end_character(scanner);
        else if (scanner.mode == ValueMode::quoted)
            step = quoted_character(scanner, target, c);
        else
            step = plain_character(scanner, c);
        if (step == Step::value_ends) return false;
    }
}

}  // namespace io
