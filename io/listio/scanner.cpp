#include "io/listio/scanner.hpp"

#include "io/listio/conversions.hpp"
#include "io/units/console.hpp"
#include "io/units/failure.hpp"
#include "runtime/messages.hpp"

namespace io {

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
    if (scanner.length == value_text_capacity) fail(rt::msg::value_too_long);
    scanner.text[scanner.length++] = c;
}

// A character of a quoted value goes straight into the character item, and
// into the work area so that a repeat count can give it to later items.
void store_quoted(Scanner& scanner, QuotedTarget target, char c) {
    if (scanner.length < target.length) target.text[scanner.length] = c;
    append(scanner, c);
}

void start_repeat(Scanner& scanner) {
    if (scanner.repeat_pending != 0) fail(rt::msg::second_repeat_count);
    std::int32_t count = 0;
    if (int error = convert_integer(scanner.value_text(), count)) fail(error);
    if (count == 0) fail(rt::msg::repeat_count_zero);
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
