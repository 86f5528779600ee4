#pragma once
// Runs one command line through the command processor and waits for it.
#include <string>
#include <string_view>

namespace io {

constexpr int longest_command = 1024;          // characters without trailing blanks
constexpr int longest_processor_path = 260;
// Room for the processor path, " /c " and the terminating NUL.
constexpr int command_line_overhead = longest_processor_path + 4 + 1;
constexpr std::string_view processor_variable = "COMSPEC";
constexpr std::string_view default_processor = "cmd.exe";
constexpr std::string_view processor_switch = " /c ";

// Why run_command returned -1. These are the layer's own codes, kept apart
// from the operating system's error numbers.
enum class CommandFailure : int {
    not_found = 2,       // processor path too long, or the processor not found
    too_long = 7,        // the command is longer than longest_command
    not_executable = 8,  // the processor is not something the system can run
    start_failed = 12,   // any other reason the processor did not start
};

// The command (address, length; trailing blanks dropped, leading blanks kept)
// runs as `processor /c command`, where the processor is the value of
// COMSPEC; when that is unset or empty, the command processor installed with
// the program, and without one cmd.exe. The platform receives the whole line
// as one NUL-terminated text: nothing is quoted or passed through a shell,
// and it ends at the command's first NUL. Waits for the processor to end and
// returns its exit code, or -1 with the reason left as the thread's last
// error for last_command_error(). A command-line buffer that cannot be
// allocated ends the program (F6772).
int run_command(const char* command, int length);

// The reason (a CommandFailure value) of this thread's last failed
// run_command, or 0 before any failure. Where the thread's last error is the
// system's own, a later failing system call replaces it (and this is 0).
int last_command_error();

// The command line as handed to the processor: the processor, " /c ", the
// command without its trailing blanks, everything cut at the first NUL.
std::string build_command_line(std::string_view processor, const char* command, int length);

}  // namespace io
