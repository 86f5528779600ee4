#include "platform/process.hpp"

#include <string>

#include "platform/web/host.hpp"

namespace plat {

namespace {

constexpr std::string_view processor_switch = " /c ";

// The reason of the last failed command (the program has one thread).
struct CommandErrorState {
    int reason = 0;
};

CommandErrorState g_command_error;

StartFailure start_failure(int error) {
    switch (error) {
        case web::host_enoent:
        case web::host_enotdir: return StartFailure::not_found;
        case web::host_enoexec:
        case web::host_eacces: return StartFailure::not_executable;
        default: return StartFailure::other;
    }
}

}  // namespace

std::optional<std::string> environment_variable(const char* name) {
    std::string value(261, '\0');
    int length = raizes_host_environment(name, value.data(), static_cast<int>(value.size()));
    if (length < 0) return std::nullopt;
    if (length >= static_cast<int>(value.size())) {
        value.assign(static_cast<std::size_t>(length) + 1, '\0');
        length = raizes_host_environment(name, value.data(), static_cast<int>(value.size()));
        if (length < 0 || length >= static_cast<int>(value.size())) return std::nullopt;
    }
    value.resize(static_cast<std::size_t>(length));
    return value;
}

// Started as on a system whose programs receive a list of arguments: the
// processor gets "/c" and the command, each as it is; under node a
// processor name without a slash is looked up in PATH.
StartedProcess start_command_processor(std::string_view processor, const char* line) {
    const std::string_view whole(line);
    const std::size_t start = processor.size() + processor_switch.size();
    const std::string program(processor);
    const std::string command(start <= whole.size() ? whole.substr(start) : std::string_view{});
    const int id = raizes_host_start(program.c_str(), command.c_str());
    if (id < 0) return {-1, start_failure(-id)};
    return {static_cast<long>(id), StartFailure::none};
}

std::optional<int> wait_for_exit(const StartedProcess& process) {
    if (process.id <= 0) return std::nullopt;
    const int status = raizes_host_wait(static_cast<int>(process.id));
    if (status < 0) return std::nullopt;
    return status;
}

void set_last_command_error(int reason) { g_command_error.reason = reason; }

int last_command_error() { return g_command_error.reason; }

}  // namespace plat
