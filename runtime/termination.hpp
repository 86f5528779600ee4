#pragma once
// Every way the program ends: the normal end, the stop operation and the
// run-time error report, all through one exit sequence.
#include <string_view>

namespace rt {

// The statement or facility a run-time error report names.
enum class Kind : int {
    none = 0,
    close = 1,
    write = 2,
    endfile = 3,
    inquire = 4,
    locking = 5,
    open = 6,
    read = 7,
    rewind = 8,
    backspace = 9,
    eof = 10,
    math = 15,
    general = 16,
};

// Writes the report to standard error and ends the process with status 1.
// While the exit sequence runs, a second report is written but the process
// is not ended twice: the exit sequence finishes instead. Safe in a signal
// handler (no allocation, no stdio).
[[noreturn]] void runtime_error_report(int number, std::string_view message, Kind kind,
                                       std::string_view unit_name, std::string_view detail = {});

// Report number 6000 + message_number with the message text of the
// catalogue, followed by `detail` (what was typed, the file and the
// system's reason), which the raiser words to follow the text.
[[noreturn]] void raise_error(int message_number, Kind kind, std::string_view unit_name = {},
                              std::string_view detail = {});

// "Stop - Program terminated." and the exit sequence with status 0.
[[noreturn]] void stop_program();

// Disconnects every unit, settles the console line and ends the process.
[[noreturn]] void exit_sequence(int status);

// From here on a request of operator new (the nothrow forms included) that
// the heap refuses ends the run with the out-of-memory report (F6700), like
// any run-time error: it never throws and never returns empty-handed. The
// report needs nothing set up, so it serves from the start of main. Memory
// that must be refused with a number of its own (F6717, F6772) is taken
// from the C heap directly.
void end_run_on_refused_memory();

// What the exit sequence asks of the I/O layer, which registers it at
// start-up. Both run in the floating-point trap handler too: they neither
// throw nor free.
struct ExitHooks {
    void (*close_units)() = nullptr;     // every connected unit, in table order
    void (*settle_console)() = nullptr;  // the console output's owed line end
};
void set_exit_hooks(ExitHooks hooks);

bool exiting();

}  // namespace rt
