#include "platform/console.hpp"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
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

WriteFailure write_all(int handle, const char* bytes, std::size_t size) {
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

void prepare_process() { std::signal(SIGPIPE, SIG_IGN); }

void exit_process(int status) { ::_exit(status); }

}  // namespace plat
