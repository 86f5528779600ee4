// A C library allocator that refuses on request, preloaded into the real
// program (LD_PRELOAD, Linux with the GNU C library). Every call of malloc,
// calloc, realloc, aligned_alloc and posix_memalign counts, whoever makes it
// (operator new, the C library itself).
//
//   RAIZES_FAIL_ALLOCATION=from:N   calls N, N+1, ... are refused
//   RAIZES_FAIL_ALLOCATION=at:N     call N alone is refused
//   RAIZES_FAIL_ALLOCATION_NOTE=F   the file F is created at the first refusal
//
// Both variables leave the environment before the program starts, so the
// programs it starts allocate normally.
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
}

namespace {

enum class Mode { none, from, at };

struct Refusals {
    bool read = false;  // the settings have been taken
    Mode mode = Mode::none;
    unsigned long first = 0;  // the number of the first call refused
    unsigned long calls = 0;
    char note[512] = {};
    bool noted = false;
};

Refusals g_refusals;

unsigned long parse_number(const char* text) {
    unsigned long n = 0;
    for (; *text >= '0' && *text <= '9'; ++text) n = n * 10 + static_cast<unsigned long>(*text - '0');
    return n;
}

// At the first call, which may come before this library's initialiser (from
// the C++ library's own); reads the environment without allocating.
void take_settings() {
    g_refusals.read = true;
    if (const char* setting = std::getenv("RAIZES_FAIL_ALLOCATION")) {
        if (std::strncmp(setting, "from:", 5) == 0) g_refusals.mode = Mode::from;
        if (std::strncmp(setting, "at:", 3) == 0) g_refusals.mode = Mode::at;
        if (const char* colon = std::strchr(setting, ':')) g_refusals.first = parse_number(colon + 1);
    }
    if (const char* note = std::getenv("RAIZES_FAIL_ALLOCATION_NOTE"))
        std::strncpy(g_refusals.note, note, sizeof g_refusals.note - 1);
}

__attribute__((constructor)) void leave_the_environment() {
    if (!g_refusals.read) take_settings();
    ::unsetenv("RAIZES_FAIL_ALLOCATION");
    ::unsetenv("RAIZES_FAIL_ALLOCATION_NOTE");
    ::unsetenv("LD_PRELOAD");
}

void note_refusal() {
    if (g_refusals.noted || g_refusals.note[0] == '\0') return;
    g_refusals.noted = true;
    const int saved = errno;
    const int fd = ::open(g_refusals.note, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
    errno = saved;
}

// Counts the call; true when it is to be refused.
bool refuse() {
    if (!g_refusals.read) take_settings();
    const unsigned long call = ++g_refusals.calls;
    const bool refused = (g_refusals.mode == Mode::from && call >= g_refusals.first) ||
                         (g_refusals.mode == Mode::at && call == g_refusals.first);
    if (!refused) return false;
    note_refusal();
    errno = ENOMEM;
    return true;
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) { return refuse() ? nullptr : __libc_malloc(size); }

void* calloc(std::size_t count, std::size_t size) { return refuse() ? nullptr : __libc_calloc(count, size); }

void* realloc(void* block, std::size_t size) { return refuse() ? nullptr : __libc_realloc(block, size); }

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return refuse() ? nullptr : __libc_memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    if (refuse()) return ENOMEM;
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) return ENOMEM;
    *result = block;
    return 0;
}

}  // extern "C"
