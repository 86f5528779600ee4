#include "io/command/command.hpp"

#include <cstring>
#include <optional>

#include "io/chars/array.hpp"
#include "io/chars/chars.hpp"
#include "platform/installation.hpp"
#include "platform/process.hpp"

namespace io {

namespace {

int fail_command(CommandFailure reason) {
    plat::set_last_command_error(static_cast<int>(reason));
    return -1;
}

CommandFailure failure_reason(plat::StartFailure failure) {
    switch (failure) {
        case plat::StartFailure::not_found: return CommandFailure::not_found;
        case plat::StartFailure::not_executable: return CommandFailure::not_executable;
        default: return CommandFailure::start_failed;
    }
}

// Writes processor, " /c ", the first `n` characters of the command and a NUL
// into `buffer`, which holds at least processor.size() + n + 5 bytes. Returns
// the length of the line up to its first NUL.
std::size_t write_command_line(char* buffer, std::string_view processor, const char* command, int n) {
    char* p = buffer;
    std::memcpy(p, processor.data(), processor.size());
    p += processor.size();
    std::memcpy(p, processor_switch.data(), processor_switch.size());
    p += processor_switch.size();
    if (n > 0) {
        std::memcpy(p, command, static_cast<std::size_t>(n));
        p += n;
    }
    *p = '\0';
    return std::strlen(buffer);
}

}  // namespace

std::string build_command_line(std::string_view processor, const char* command, int length) {
    int n = length_without_trailing_blanks(command, length);
    std::string line(processor.size() + processor_switch.size() + static_cast<std::size_t>(n) + 1, '\0');
    line.resize(write_command_line(line.data(), processor, command, n));
    return line;
}

int run_command(const char* command, int length) {
    int n = length_without_trailing_blanks(command, length);
    if (n > longest_command) return fail_command(CommandFailure::too_long);

    std::optional<std::string> chosen = plat::environment_variable(processor_variable.data());
    if (!chosen || chosen->empty()) chosen = plat::bundled_command_processor();
    if (chosen && chosen->size() > static_cast<std::size_t>(longest_processor_path))
        return fail_command(CommandFailure::not_found);
    std::string_view processor = chosen ? std::string_view(*chosen) : default_processor;

    char* buffer = static_cast<char*>(allocate_block(static_cast<std::size_t>(n) + command_line_overhead));
    write_command_line(buffer, processor, command, n);

    // The processor gets the line as one NUL-terminated text; the buffer is
    // released once the processor has been started.
    const plat::StartedProcess process = plat::start_command_processor(processor, buffer);
    release_block(buffer);
    if (process.failure != plat::StartFailure::none) return fail_command(failure_reason(process.failure));

    std::optional<int> code = plat::wait_for_exit(process);
    if (!code) return fail_command(CommandFailure::start_failed);
    return *code;
}

int last_command_error() { return plat::last_command_error(); }

}  // namespace io
