#pragma once
// Environment lookup and child processes: start one, wait for it, take its
// exit status.
#include <optional>
#include <span>
#include <string>

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
    long id = -1;
    StartFailure failure = StartFailure::none;
};

// Starts arguments[0] with exactly these arguments, each passed as one
// argument as it is (no shell, nothing split or quoted). A program name
// without a slash is looked up in PATH. The child inherits the open handles,
// the environment and the current directory, and starts with the default
// action for every signal and none blocked. From the start until
// wait_for_exit returns, interrupts typed at the terminal reach the child
// only: this process ignores them.
StartedProcess start_process(std::span<const std::string> arguments);

// Waits without a time limit for a started process to end. Its exit status,
// 128 plus the signal number when a signal ended it, or nothing when the
// process cannot be waited for.
std::optional<int> wait_for_exit(const StartedProcess& process);

}  // namespace plat
