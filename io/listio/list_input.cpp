// List-directed input statements: begin, one call per item, end.
#include "io/listio/list_input.hpp"

#include <cstring>

#include "io/listio/console_output.hpp"
#include "io/listio/list_input_errors.hpp"
#include "io/listio/scanner.hpp"
#include "io/units/connection.hpp"
#include "io/units/failure.hpp"
#include "platform/console.hpp"
#include "runtime/termination.hpp"

namespace io {

namespace {

// The one input statement in progress.
struct ReadStatement {
    Unit* unit = nullptr;
    bool return_errors = false;
    bool started = false;  // the first item (or the end) has set the scanner up
    int error = 0;         // a returned error abandons the rest of the statement
    Scanner scanner;
};

ReadStatement g_read;

Unit& input_unit(int number) {
    Unit* unit = number == default_input_unit ? &console_input_unit() : lookup_unit(number, Direction::input);
    // Only the console is read list-directed.
    if (unit == nullptr || unit->kind != UnitKind::console || unit->in_handle < 0) fail(error_read_failure);
    return *unit;
}

// Output written on the single console unit since the last read leaves its
// line end owed and any typed-ahead text stale: the line is ended and the
// buffer emptied, so the answer comes from a line typed after the prompt.
void start_statement(ReadStatement& statement) {
    Unit& unit = *statement.unit;
    if (unit.record_written) {
        settle_console_line(unit);
        unit.position = 0;
        unit.last_valid = -1;
    }
    start_scanner(statement.scanner, unit, plat::is_console(unit.in_handle));
    statement.started = true;
}

// Runs one part of the statement. An error either ends the program with its
// report or, when the statement asked for it, becomes the statement status.
template <typename Part>
int run(Part part) {
    ReadStatement& statement = g_read;
    if (statement.error != 0) return statement.error;
    try {
        if (statement.unit == nullptr) statement.unit = &input_unit(default_input_unit);
        if (!statement.started) start_statement(statement);
        part(statement);
        return 0;
    } catch (const IoFailure& failure) {
        if (!statement.return_errors) {
            const Unit* unit = statement.unit != nullptr ? statement.unit : &console_input_unit();
            rt::raise_error(failure.message_number, rt::Kind::read, unit->name);
        }
        statement.error = failure.message_number;
        return statement.error;
    }
}

// Whether the element is left as it is: after a slash every later element
// of the statement is, unless a repeat count is still running.
bool skipped(const Scanner& scanner) { return scanner.separator == '/' && scanner.repeat_pending == 0; }

bool is_null(const Scanner& scanner) { return scanner.length == 0; }

void require_plain(const Scanner& scanner) {
    if (scanner.mode != ValueMode::plain) fail(error_value_form);
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

int begin_read(int unit, int flags) {
    g_read = ReadStatement{};
    g_read.return_errors = (flags & return_errors_flag) != 0;
    try {
        g_read.unit = &input_unit(unit);
    } catch (const IoFailure& failure) {
        if (!g_read.return_errors) rt::raise_error(failure.message_number, rt::Kind::read, console_input_unit().name);
        g_read.error = failure.message_number;
        return g_read.error;
    }
    return 0;
}

int read_integer_item(std::int32_t& value) {
    return run([&value](ReadStatement& statement) {
        Scanner& scanner = statement.scanner;
        if (skipped(scanner)) return;
        scan_value(scanner, QuotedTarget{});
        if (is_null(scanner)) return;
        require_plain(scanner);
        std::int32_t converted = 0;
        if (int error = convert_integer(scanner.value_text(), converted)) fail(error);
        value = converted;
    });
}

int read_real8_item(double& value) {
    return run([&value](ReadStatement& statement) {
        Scanner& scanner = statement.scanner;
        if (skipped(scanner)) return;
        scan_value(scanner, QuotedTarget{});
        if (is_null(scanner)) return;
        require_plain(scanner);
        double converted = 0.0;
        if (int error = convert_real(scanner.value_text(), converted)) fail(error);
        value = converted;
    });
}

int read_character_item(char* text, int length) {
    if (length < 0) length = 0;
    return run([text, length](ReadStatement& statement) {
        Scanner& scanner = statement.scanner;
        if (skipped(scanner)) return;
        const bool repeated = scan_value(scanner, QuotedTarget{text, length});
        if (is_null(scanner)) return;
        store_character(scanner, repeated, text, length);
    });
}

int end_read() {
    const int status = run([](ReadStatement& statement) {
        // Whatever the statement did not need of its line is dropped.
        if (!statement.scanner.line_end) take_next_record(*statement.unit, statement.scanner.console);
    });
    if (g_read.unit != nullptr) g_read.unit->record_written = false;
    g_read = ReadStatement{};
    return status;
}

int read_console_line(char* line, int capacity) {
    Unit& unit = console_input_unit();
    const bool console = plat::is_console(unit.in_handle);
    int length = 0;
    bool carriage_return = false;  // held back: dropped when the LF follows
    // A line that outgrows the room is refused as it passes it, so that input
    // without line ends cannot keep the question waiting.
    auto keep = [&](char c) {
        if (length == capacity) fail(error_value_too_long);
        line[length++] = c;
    };
    for (;;) {
        const int c = next_character(unit, console);
        if (c == '\n') break;
        if (carriage_return) keep('\r');
        carriage_return = c == '\r';
        if (!carriage_return) keep(static_cast<char>(c));
    }
    return length;
}

}  // namespace io
