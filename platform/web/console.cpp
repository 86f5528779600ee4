#include "platform/console.hpp"

#include <climits>

#include "platform/web/host.hpp"

namespace plat {

namespace {

// The command line as the start-up received it.
struct Arguments {
    int count = 0;
    char** values = nullptr;
};

Arguments g_arguments;

// Whether the program wrote since the host's last turn.
bool g_wrote = false;

int chunk(std::size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

WriteFailure write_failure(int error) {
    switch (error) {
        case web::host_enospc:
        case web::host_edquot:
        case web::host_efbig: return WriteFailure::no_space;
        case web::host_eacces:
        case web::host_eperm:
        case web::host_ebadf: return WriteFailure::access_denied;
        default: return WriteFailure::other;
    }
}

}  // namespace

bool is_console(int handle) { return raizes_host_is_console(handle) == 1; }

long read_some(int handle, char* buffer, std::size_t size) {
    const int n = raizes_host_read(handle, buffer, chunk(size));
    return n >= 0 ? n : -1;
}

WriteFailure write_all(int handle, const char* bytes, std::size_t size, std::size_t* written) {
    std::size_t taken = 0;
    if (written != nullptr) *written = 0;
    g_wrote = true;
    while (size > 0) {
        const int n = raizes_host_write(handle, bytes, chunk(size));
        if (n < 0) return write_failure(-n);
        if (n == 0) return WriteFailure::other;
        bytes += n;
        size -= static_cast<std::size_t>(n);
        taken += static_cast<std::size_t>(n);
        if (written != nullptr) *written = taken;
    }
    return WriteFailure::none;
}

void close_handle(int handle) { raizes_host_close(handle); }

void set_arguments(int count, char** values) {
    g_arguments.count = count;
    g_arguments.values = values;
}

int argument_count() { return g_arguments.count; }

const char* argument(int index) {
    if (index < 0 || index >= g_arguments.count) return nullptr;
    return g_arguments.values[index];
}

// Node opens the null device on a standard handle that was closed, and
// lets a write to a closed pipe or beyond the file-size limit fail with an
// error (host.js sets that up); the page has nothing to prepare.
void prepare_process() {}

void discard_typed_ahead(int handle) { raizes_host_discard_typed_ahead(handle); }

void exit_process(int status) { raizes_host_exit(status); }

// A write never waits for the host, for the writer is half-way through its
// work then: the host has its turn here, between statements when the
// program wrote, and takes one at most as often as it wants.
void host_turn() noexcept {
    if (!g_wrote) return;
    g_wrote = false;
    raizes_host_turn();
}

}  // namespace plat
