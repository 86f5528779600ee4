#include "platform/process.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

extern char** environ;

namespace plat {

namespace {

constexpr std::string_view processor_switch = " /c ";

// The reason of the thread's last failed command.
struct CommandErrorState {
    int reason = 0;
};

thread_local CommandErrorState t_command_error;

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

// While a started program runs, the interrupt and quit keys of the
// terminal are meant for it: the waiting program ignores them until the
// wait is over.
struct HeldInterrupts {
    bool held = false;
    struct sigaction interrupt {};
    struct sigaction quit {};
};

HeldInterrupts g_held;

void hold_interrupts() {
    if (g_held.held) return;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &g_held.interrupt);
    sigaction(SIGQUIT, &ignore, &g_held.quit);
    g_held.held = true;
}

void release_interrupts() {
    if (!g_held.held) return;
    sigaction(SIGINT, &g_held.interrupt, nullptr);
    sigaction(SIGQUIT, &g_held.quit, nullptr);
    g_held.held = false;
}

// The started program begins with every signal at its default action (this
// process ignores some of them) and none blocked.
struct SpawnAttributes {
    posix_spawnattr_t attributes;
    SpawnAttributes() {
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : {SIGINT, SIGQUIT, SIGPIPE, SIGXFSZ, SIGFPE}) sigaddset(&defaults, signal);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes); }
};

}  // namespace

std::optional<std::string> environment_variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

StartedProcess start_command_processor(std::string_view processor, const char* line) {
    // The command is whatever follows the processor and its switch.
    const std::string_view whole(line);
    const std::size_t start = processor.size() + processor_switch.size();
    std::string program(processor);
    std::string command(start <= whole.size() ? whole.substr(start) : std::string_view{});
    std::string option = "/c";
    char* argv[] = {program.data(), option.data(), command.data(), nullptr};

    // The C library reports a failed exec of the child as the return value,
    // so a missing or unrunnable program never looks like a started one.
    SpawnAttributes spawn;
    hold_interrupts();
    pid_t pid = -1;
    int error = ::posix_spawnp(&pid, argv[0], nullptr, &spawn.attributes, argv, environ);
    if (error != 0) {
        release_interrupts();
        return {-1, start_failure(error)};
    }
    return {static_cast<long>(pid), StartFailure::none};
}

namespace {

std::optional<int> wait_for_status(pid_t id) {
    int status = 0;
    for (;;) {
        pid_t r = ::waitpid(id, &status, 0);
        if (r == id) return status;
        if (r < 0 && errno == EINTR) continue;
        return std::nullopt;
    }
}

}  // namespace

std::optional<int> wait_for_exit(const StartedProcess& process) {
    if (process.id <= 0) return std::nullopt;
    const std::optional<int> waited = wait_for_status(static_cast<pid_t>(process.id));
    release_interrupts();
    if (!waited) return std::nullopt;
    const int status = *waited;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return std::nullopt;
}

void set_last_command_error(int reason) { t_command_error.reason = reason; }

int last_command_error() { return t_command_error.reason; }

}  // namespace plat
