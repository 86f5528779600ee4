#include "platform/console.hpp"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace plat {

namespace {
int g_argument_count = 0;
char** g_arguments = nullptr;
}  // namespace

bool is_console(int handle) { return ::isatty(handle) == 1; }

long read_some(int handle, char* buffer, std::size_t size) {
    for (;;) {
        ssize_t n = ::read(handle, buffer, size);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

WriteFailure write_all(int handle, const char* bytes, std::size_t size, std::size_t* written) {
    std::size_t taken = 0;
    if (written != nullptr) *written = 0;
    while (size > 0) {
        ssize_t n = ::write(handle, bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG) return WriteFailure::no_space;
            if (errno == EACCES || errno == EPERM || errno == EBADF) return WriteFailure::access_denied;
            return WriteFailure::other;
        }
        if (n == 0) return WriteFailure::other;
        bytes += n;
        size -= static_cast<std::size_t>(n);
        taken += static_cast<std::size_t>(n);
        if (written != nullptr) *written = taken;
    }
    return WriteFailure::none;
}

void close_handle(int handle) { ::close(handle); }

void set_arguments(int count, char** values) {
    g_argument_count = count;
    g_arguments = values;
}

int argument_count() { return g_argument_count; }

const char* argument(int index) {
    if (index < 0 || index >= g_argument_count) return nullptr;
    return g_arguments[index];
}

namespace {

// A closed descriptor gets the lowest free number, so opening the null
// device while `handle` is closed (and the ones below it are open) fills it.
bool open_on_null_device(int handle, int flags) {
    if (::fcntl(handle, F_GETFD) != -1 || errno != EBADF) return true;
    int opened;
    do {
        opened = ::open("/dev/null", flags);
    } while (opened < 0 && errno == EINTR);
    if (opened == handle) return true;
    if (opened < 0) return false;
    const bool moved = ::dup2(opened, handle) == handle;
    ::close(opened);
    return moved;
}

}  // namespace

void prepare_process() {
    const bool handles_open = open_on_null_device(standard_input, O_RDONLY) &&
                              open_on_null_device(standard_output, O_WRONLY) &&
                              open_on_null_device(standard_error, O_WRONLY);
    // Without them a report file could become standard error: better not
    // to run at all.
    if (!handles_open) ::_exit(1);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

void discard_typed_ahead(int handle) {
    if (::isatty(handle) == 1) ::tcflush(handle, TCIFLUSH);
}

void exit_process(int status) { ::_exit(status); }

void host_turn() noexcept {}

}  // namespace plat
