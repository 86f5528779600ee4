#include "platform/console.hpp"

#include <climits>
#include <windows.h>

#include "platform/windows/handles.hpp"
#include "platform/windows/write_failure.hpp"

namespace plat {

namespace {

// The command line as the C run-time split it for main.
struct Arguments {
    int count = 0;
    char** values = nullptr;
};

Arguments g_arguments;

DWORD chunk(std::size_t size) { return size > INT_MAX ? static_cast<DWORD>(INT_MAX) : static_cast<DWORD>(size); }

}  // namespace

bool is_console(int handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(win::system_handle(handle), &mode) != 0;
}

long read_some(int handle, char* buffer, std::size_t size) {
    DWORD n = 0;
    if (::ReadFile(win::system_handle(handle), buffer, chunk(size), &n, nullptr)) return static_cast<long>(n);
    // The writer of a pipe has closed its end: that is the end of the input.
    const DWORD error = ::GetLastError();
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
    return -1;
}

WriteFailure write_all(int handle, const char* bytes, std::size_t size) {
    HANDLE target = win::system_handle(handle);
    while (size > 0) {
        DWORD n = 0;
        if (!::WriteFile(target, bytes, chunk(size), &n, nullptr)) return win::write_failure(::GetLastError());
        if (n == 0) return WriteFailure::other;
        bytes += n;
        size -= n;
    }
    return WriteFailure::none;
}

void close_handle(int handle) {
    HANDLE removed = win::remove_handle(handle);
    if (removed != INVALID_HANDLE_VALUE) ::CloseHandle(removed);
}

void set_arguments(int count, char** values) {
    g_arguments.count = count;
    g_arguments.values = values;
}

int argument_count() { return g_arguments.count; }

const char* argument(int index) {
    if (index < 0 || index >= g_arguments.count) return nullptr;
    return g_arguments.values[index];
}

// A write to a pipe whose reader has gone already fails with an error here;
// there is no signal to turn off.
void prepare_process() {}

void exit_process(int status) { ::ExitProcess(static_cast<UINT>(status)); }

}  // namespace plat
