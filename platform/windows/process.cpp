#include "platform/process.hpp"

#include <windows.h>

namespace plat {

namespace {

// Room for a command-processor path of 260 characters and its NUL.
constexpr DWORD value_capacity = 261;

// Marks a code as the program's own, never one of the system's.
constexpr DWORD own_code_bit = APPLICATION_ERROR_MASK;  // 0x20000000

// The started command processor, until it has been waited for.
struct ChildState {
    HANDLE process = nullptr;
    DWORD id = 0;
};

ChildState g_child;

StartFailure start_failure(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return StartFailure::not_found;
        case ERROR_BAD_FORMAT:
        case ERROR_BAD_EXE_FORMAT: return StartFailure::not_executable;
        default: return StartFailure::other;
    }
}

}  // namespace

std::optional<std::string> environment_variable(const char* name) {
    std::string value(value_capacity, '\0');
    ::SetLastError(ERROR_SUCCESS);
    DWORD length = ::GetEnvironmentVariableA(name, value.data(), value_capacity);
    if (length == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
    }
    // Too long for the buffer: the length returned counts the NUL.
    if (length >= value_capacity) {
        value.assign(length, '\0');
        length = ::GetEnvironmentVariableA(name, value.data(), length);
        if (length == 0 || length >= value.size()) return std::nullopt;
    }
    value.resize(length);
    return value;
}

StartedProcess start_command_processor(std::string_view, const char* line) {
    // The system may write into the command line while it parses it.
    std::string text(line);
    // Default window placement and standard handles: nothing but the size.
    STARTUPINFOA startup;
    ::ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;  // 68 bytes for 32-bit programs, 104 for 64-bit ones
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(nullptr, text.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
        return {-1, start_failure(::GetLastError())};
    ::CloseHandle(started.hThread);
    if (g_child.process != nullptr) ::CloseHandle(g_child.process);
    g_child = ChildState{started.hProcess, started.dwProcessId};
    return {static_cast<long>(started.dwProcessId), StartFailure::none};
}

std::optional<int> wait_for_exit(const StartedProcess& process) {
    if (g_child.process == nullptr || process.id != static_cast<long>(g_child.id)) return std::nullopt;
    HANDLE child = g_child.process;
    g_child = ChildState{};
    DWORD code = 0;
    const bool ended = ::WaitForSingleObject(child, INFINITE) == WAIT_OBJECT_0 && ::GetExitCodeProcess(child, &code);
    ::CloseHandle(child);
    if (!ended) return std::nullopt;
    return static_cast<int>(code);
}

void set_last_command_error(int reason) { ::SetLastError(static_cast<DWORD>(reason) | own_code_bit); }

int last_command_error() {
    const DWORD error = ::GetLastError();
    if ((error & own_code_bit) == 0) return 0;
    return static_cast<int>(error & ~own_code_bit);
}

}  // namespace plat
