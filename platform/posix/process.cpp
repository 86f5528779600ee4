#include "platform/process.hpp"

#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace plat {

namespace {

StartFailure start_failure(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return StartFailure::not_found;
        case ENOEXEC:
        case EACCES:
            return StartFailure::not_executable;
        default:
            return StartFailure::other;
    }
}

}  // namespace

std::optional<std::string> environment_variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

StartedProcess start_process(std::span<const std::string> arguments) {
    if (arguments.empty()) return {-1, StartFailure::other};
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The C library reports a failed exec of the child as the return value,
    // so a missing or unrunnable program never looks like a started one.
    pid_t pid = -1;
    int error = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0) return {-1, start_failure(error)};
    return {static_cast<long>(pid), StartFailure::none};
}

std::optional<int> wait_for_exit(const StartedProcess& process) {
    if (process.id <= 0) return std::nullopt;
    int status = 0;
    for (;;) {
        pid_t r = ::waitpid(static_cast<pid_t>(process.id), &status, 0);
        if (r == static_cast<pid_t>(process.id)) break;
        if (r < 0 && errno == EINTR) continue;
        return std::nullopt;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return std::nullopt;
}

}  // namespace plat
