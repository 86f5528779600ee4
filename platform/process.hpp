#pragma once
// Environment lookup and the command processor: start it on one command
// line, wait for it, take its exit status; the reason a command failed.
#include <optional>
#include <string>
#include <string_view>

namespace plat {

// The value of an environment variable; nothing when it is not set.
std::optional<std::string> environment_variable(const char* name);

// Why a process could not be started.
enum class StartFailure {
    none,
    not_found,       // the program or a directory on its path does not exist
    not_executable,  // no permission to run it, or not a format the system runs
    other,
};

struct StartedProcess {
    long id = -1;  // names the process for wait_for_exit
    StartFailure failure = StartFailure::none;
};

// Starts the command processor on `line`, the whole command line as one
// NUL-terminated text: `processor`, " /c ", then the command. The child
// inherits the inheritable handles, the environment, the console and the
// current directory. From the start until wait_for_exit returns, interrupts
// typed at the console reach the child only: this process ignores them.
//
// Where a program receives its command line as one text, `line` is passed
// exactly as it is, with no separate program name: the system takes the
// processor from the line. Where a program receives a list of arguments,
// the processor gets the two arguments "/c" and the command (the text after
// " /c "), each as it is: no shell, nothing split or quoted. There a
// processor name without a slash is looked up in PATH, and the child starts
// with the default action for every signal and none blocked.
StartedProcess start_command_processor(std::string_view processor, const char* line);

// Waits without a time limit for a started process to end. Its exit status,
// 128 plus the signal number when a signal ended it, or nothing when the
// process cannot be waited for.
std::optional<int> wait_for_exit(const StartedProcess& process);

// Leaves `reason` (a small positive number) as the calling thread's last
// error, marked so that it cannot be taken for an error code of the system.
void set_last_command_error(int reason);

// The reason last left by set_last_command_error on this thread; 0 before
// any. Where the thread's last error is the system's own (Windows), a later
// failing system call on the thread replaces it, and this then gives 0.
int last_command_error();

}  // namespace plat
