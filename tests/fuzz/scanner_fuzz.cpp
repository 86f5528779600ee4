// The list-directed scanner: any bytes on standard input, read through every
// statement shape the program uses, with errors returned instead of ending
// the process.
//
// The input becomes the contents of standard input, installed as the
// console input unit's handle, first as a memory file (so inputs of any size
// need no writer) and then as a terminal in line mode that was typed the
// input followed by end-of-input keys (so the console's own rules apply:
// one line per read, at most 132 bytes). Each time it is read from the start
// once per pass: as integer statements, as name statements (60 characters),
// as one-real and as two-real statements, as the program's own sequence of
// statements, and as the lines that the open statement reads for a missing
// file name. Each pass goes on until a statement fails, which must happen by
// the end of the input at the latest.
#include <fcntl.h>
#include <sys/mman.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "io/statement/read_statement.hpp"
#include "io/units/console.hpp"
#include "io/units/failure.hpp"
#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "runtime/messages.hpp"

namespace {

constexpr int name_length = 60;
constexpr int file_name_capacity = 260;

enum class Shape { integer, name, one_real, two_reals };

struct Pass {
    const char* what;
    std::vector<Shape> shapes;  // repeated until a statement fails
};

// The last pass is the program's dialogue: method, name, then the inputs of
// a method.
const Pass passes[] = {
    {"integer", {Shape::integer}},
    {"name", {Shape::name}},
    {"one real", {Shape::one_real}},
    {"two reals", {Shape::two_reals}},
    {"dialogue", {Shape::integer, Shape::name, Shape::two_reals, Shape::one_real, Shape::integer, Shape::one_real}},
};

int g_memory_file = -1;

// A terminal's line buffer holds about 4 KiB; longer inputs are read only
// from the memory file.
constexpr std::size_t terminal_input_limit = 3000;
constexpr char end_of_input_key = 0x04;
// Each pass ends at its first failure, after at most two of these: one that
// hands over an unfinished last line and one that reads as end of input.
constexpr int end_of_input_keys = 8;

enum class Source { memory_file, terminal };

struct Terminal {
    int master = -1;
    int slave = -1;
    ~Terminal() {
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
    }
};

[[noreturn]] void fault(const char* pass, int statement, const char* what, long long value) {
    std::fprintf(stderr, "scanner fault in the %s pass, statement %d: %s (%lld)\n", pass, statement, what, value);
    std::abort();
}

[[noreturn]] void system_failure(const char* what) {
    std::perror(what);
    std::abort();
}

// Line mode with no other special key than the line end and end of input:
// every other byte reaches the program as typed.
void type_into_terminal(Terminal& t, const std::uint8_t* data, std::size_t size) {
    t.master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (t.master < 0 || ::grantpt(t.master) != 0 || ::unlockpt(t.master) != 0) system_failure("posix_openpt");
    char name[128];
    if (::ptsname_r(t.master, name, sizeof name) != 0) system_failure("ptsname_r");
    t.slave = ::open(name, O_RDWR | O_NOCTTY);
    if (t.slave < 0) system_failure("open terminal");
    termios settings{};
    if (::tcgetattr(t.slave, &settings) != 0) system_failure("tcgetattr");
    settings.c_iflag = 0;
    settings.c_oflag = 0;
    settings.c_lflag = ICANON;
    for (cc_t& key : settings.c_cc) key = _POSIX_VDISABLE;
    settings.c_cc[VEOF] = end_of_input_key;
    settings.c_cc[VMIN] = 1;
    if (::tcsetattr(t.slave, TCSANOW, &settings) != 0) system_failure("tcsetattr");
    std::string typed(reinterpret_cast<const char*>(data), size);
    typed.append(end_of_input_keys, end_of_input_key);
    // The fuzzer's own timer may interrupt a write into the terminal: go on
    // from where it stopped.
    std::size_t done = 0;
    while (done < typed.size()) {
        const ssize_t n = ::write(t.master, typed.data() + done, typed.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) system_failure("typing into the terminal");
        done += static_cast<std::size_t>(n);
    }
}

// Standard input from its first byte, the unit's buffer empty.
void rewind_input(Source source, Terminal& terminal, const std::uint8_t* data, std::size_t size) {
    int handle = g_memory_file;
    if (source == Source::memory_file) {
        if (::ftruncate(g_memory_file, 0) != 0 || ::pwrite(g_memory_file, data, size, 0) != static_cast<ssize_t>(size) ||
            ::lseek(g_memory_file, 0, SEEK_SET) != 0)
            system_failure("memory file");
    } else {
        type_into_terminal(terminal, data, size);
        handle = terminal.slave;
    }
    io::Unit& unit = io::console_input_unit();
    unit.connection.in_handle = handle;
    unit.buffer.position = 0;
    unit.buffer.last_valid = -1;
    unit.at_eof = false;
    unit.record_written = false;
}

bool expected_status(int status, Source source) {
    switch (status) {
        case 0:
        // conversions
        case rt::msg::integer_out_of_range:
        case rt::msg::invalid_integer:
        case rt::msg::real_out_of_range:
        case rt::msg::invalid_real:
        // radix form
        case rt::msg::second_radix_mark:
        case rt::msg::radix_out_of_range:
        // end of file
        case rt::msg::end_of_file:
        // repeat counts, value forms, length
        case rt::msg::repeat_count_zero:
        case rt::msg::second_repeat_count:
        case rt::msg::value_form:
        case rt::msg::value_too_long:
            return true;
        // a typed line over 130 characters
        case rt::msg::console_line_too_long:
            return source == Source::terminal;
        default:
            return false;  // 500: no read fails here
    }
}

// One statement; its status.
int read_statement(Shape shape) {
    io::begin_read(io::default_input_unit, io::return_errors_flag);
    switch (shape) {
        case Shape::integer: {
            std::int32_t value = 0;
            io::read_integer_item(value);
            break;
        }
        case Shape::name: {
            // Exactly the item's length, so a byte written past it is caught.
            const std::unique_ptr<char[]> name(new char[name_length]);
            io::read_character_item(name.get(), name_length);
            break;
        }
        case Shape::one_real: {
            double value = 0.0;
            const int status = io::read_real8_item(value);
            if (status == 0 && !std::isfinite(value)) return -1;
            break;
        }
        case Shape::two_reals: {
            double first = 0.0, second = 0.0;
            io::read_real8_item(first);
            const int status = io::read_real8_item(second);
            if (status == 0 && (!std::isfinite(first) || !std::isfinite(second))) return -1;
            break;
        }
    }
    return io::end_read();
}

void run_pass(const Pass& pass, Source source, std::size_t size) {
    // Every statement takes at least one byte, or the line end that the
    // end of input supplies.
    const long long limit = static_cast<long long>(size) + 2;
    int statement = 0;
    for (;;) {
        for (Shape shape : pass.shapes) {
            ++statement;
            const int status = read_statement(shape);
            if (status == -1) fault(pass.what, statement, "a real item received a value that is not finite", 0);
            if (!expected_status(status, source)) fault(pass.what, statement, "unexpected status", status);
            if (status != 0) return;
            if (statement > limit) fault(pass.what, statement, "statements go on without taking input", limit);
        }
    }
}

void run_file_name_lines(Source source, std::size_t size) {
    const std::unique_ptr<char[]> line(new char[file_name_capacity]);
    for (std::size_t lines = 0;; ++lines) {
        if (lines > size + 2) fault("file name", static_cast<int>(lines), "lines go on without taking input", 0);
        try {
            const int length = io::read_console_line(line.get(), file_name_capacity);
            if (length < 0 || length > file_name_capacity) fault("file name", static_cast<int>(lines), "line length", length);
        } catch (const io::IoFailure& failure) {
            // End of input, a line longer than the name's room, or a
            // terminal line longer than the console allows.
            const int number = failure.message_number;
            const bool expected = number == rt::msg::end_of_file || number == rt::msg::value_too_long ||
                                  (number == rt::msg::console_line_too_long && source == Source::terminal);
            if (!expected) fault("file name", static_cast<int>(lines), "unexpected error", number);
            return;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    io::create_console_units();
    g_memory_file = ::memfd_create("standard-input", 0);
    if (g_memory_file < 0) system_failure("memfd_create");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (Source source : {Source::memory_file, Source::terminal}) {
        if (source == Source::terminal && size > terminal_input_limit) continue;
        for (const Pass& pass : passes) {
            Terminal terminal;
            rewind_input(source, terminal, data, size);
            run_pass(pass, source, size);
        }
        Terminal terminal;
        rewind_input(source, terminal, data, size);
        run_file_name_lines(source, size);
    }
    return 0;
}
