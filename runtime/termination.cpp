#include "runtime/termination.hpp"

#include <cstddef>
#include <new>

#include "platform/console.hpp"
#include "runtime/messages.hpp"

namespace rt {

namespace {

// The run-time state of termination.
struct TerminationState {
    volatile bool exiting = false;  // set once the exit sequence has begun
    volatile int exit_status = 0;
    ExitHooks hooks;
};

TerminationState g_termination;

void settle_console() {
    if (g_termination.hooks.settle_console) g_termination.hooks.settle_console();
}

constexpr std::string_view kind_text(Kind kind) {
    switch (kind) {
        case Kind::none: return ": (";
        case Kind::close: return ": CLOSE(";
        case Kind::write: return ": WRITE(";
        case Kind::endfile: return ": ENDFILE(";
        case Kind::inquire: return ": INQUIRE(";
        case Kind::locking: return ": LOCKING(";
        case Kind::open: return ": OPEN(";
        case Kind::read: return ": READ(";
        case Kind::rewind: return ": REWIND(";
        case Kind::backspace: return ": BACKSPACE(";
        case Kind::eof: return ": EOF(";
        case Kind::math: return ": MATH\r\n- ";
        case Kind::general: return "\r\n- ";
    }
    return "\r\n- ";
}

constexpr bool names_unit(Kind kind) { return static_cast<int>(kind) <= static_cast<int>(Kind::eof); }

// A fixed report buffer: the report is built without allocation so that it
// can be written from the floating-point trap handler.
struct ReportText {
    char bytes[1024];
    std::size_t length = 0;

    void add(std::string_view text) {
        for (char c : text) {
            if (length == sizeof bytes) return;
            bytes[length++] = c;
        }
    }
};

void add_number(ReportText& report, int number) {
    char digits[4];
    for (int i = 3; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + number % 10);
        number /= 10;
    }
    report.add(std::string_view(digits, 4));
}

// Never returns to operator new, which would ask again: while the exit
// sequence runs, the report ends the process with the status already chosen.
[[noreturn]] void memory_refused() { raise_error(msg::no_memory, Kind::general); }

[[noreturn]] void end_process(int status) {
    // Releasing the run-time's own buffers is left to the process end.
    plat::exit_process(status);
}

}  // namespace

bool exiting() { return g_termination.exiting; }

void runtime_error_report(int number, std::string_view message, Kind kind, std::string_view unit_name,
                          std::string_view detail) {
    ReportText report;
    report.add("\r\nrun-time error ");
    report.add(kind == Kind::math ? "M" : "F");
    add_number(report, number);
    report.add(kind_text(kind));
    if (names_unit(kind)) {
        report.add(unit_name);
        report.add(message.empty() && detail.empty() ? ")\r\n" : ")\r\n- ");
    }
    report.add(message);
    report.add(detail);
    report.add("\r\n");
    plat::write_all(plat::standard_error, report.bytes, report.length);
    // The rest of a line typed too long must not reach the shell as a command.
    plat::discard_typed_ahead(plat::standard_input);

    // An error while the exit sequence disconnects the units ends that work
    // early; the process then ends with the status already chosen.
    if (g_termination.exiting) end_process(g_termination.exit_status);
    exit_sequence(1);
}

void raise_error(int message_number, Kind kind, std::string_view unit_name, std::string_view detail) {
    runtime_error_report(6000 + message_number, message_text(message_number), kind, unit_name, detail);
}

void end_run_on_refused_memory() { std::set_new_handler(memory_refused); }

void set_exit_hooks(ExitHooks hooks) { g_termination.hooks = hooks; }

void stop_program() {
    settle_console();
    static constexpr char stop_text[] = "Stop - Program terminated.\r\n";
    plat::write_all(plat::standard_output, stop_text, sizeof stop_text - 1);
    exit_sequence(0);
}

void exit_sequence(int status) {
    g_termination.exit_status = status;
    g_termination.exiting = true;
    if (g_termination.hooks.close_units) g_termination.hooks.close_units();
    settle_console();
    end_process(status);
}

}  // namespace rt
