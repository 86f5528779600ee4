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

WriteFailure write_all(int handle, const char* bytes, std::size_t size, std::size_t* written) {
    HANDLE target = win::system_handle(handle);
    std::size_t taken = 0;
    if (written != nullptr) *written = 0;
    while (size > 0) {
        DWORD n = 0;
        if (!::WriteFile(target, bytes, chunk(size), &n, nullptr)) return win::write_failure(::GetLastError());
        if (n == 0) return WriteFailure::other;
        bytes += n;
        size -= n;
        taken += n;
        if (written != nullptr) *written = taken;
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

namespace {

// A process started without a standard handle (or with one that was closed)
// gets the null device in its place, as an inheritable handle.
bool open_on_null_device(DWORD which, DWORD access) {
    HANDLE current = ::GetStdHandle(which);
    if (current != nullptr && current != INVALID_HANDLE_VALUE) {
        ::SetLastError(ERROR_SUCCESS);
        if (::GetFileType(current) != FILE_TYPE_UNKNOWN || ::GetLastError() == ERROR_SUCCESS) return true;
    }
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    HANDLE null_device = ::CreateFileA("NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    return null_device != INVALID_HANDLE_VALUE && ::SetStdHandle(which, null_device);
}

}  // namespace

// A write to a pipe whose reader has gone, or beyond a size limit, already
// fails with an error here: there is no signal to turn off.
void prepare_process() {
    const bool handles_open = open_on_null_device(STD_INPUT_HANDLE, GENERIC_READ) &&
                              open_on_null_device(STD_OUTPUT_HANDLE, GENERIC_WRITE) &&
                              open_on_null_device(STD_ERROR_HANDLE, GENERIC_WRITE);
    if (!handles_open) ::ExitProcess(1);
}

void discard_typed_ahead(int handle) {
    if (is_console(handle)) ::FlushConsoleInputBuffer(win::system_handle(handle));
}

void exit_process(int status) { ::ExitProcess(static_cast<UINT>(status)); }

void host_turn() noexcept {}

}  // namespace plat
