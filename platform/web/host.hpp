#pragma once
// The host that runs the WebAssembly program: node, or the page. Its calls
// are JavaScript (host.js); node's own file system and processes stand
// behind them under node, the page's console, folder and viewer in a
// browser. Handles are the host's: 0, 1 and 2 the standard ones.
//
// A failed call gives minus an error number of the host. Those are the
// numbers of Linux, whatever system node runs on (host.js translates
// node's error names), and the page uses the same.
#include <cstdint>

namespace plat::web {

enum HostError : int {
    host_eperm = 1,
    host_enoent = 2,
    host_eio = 5,
    host_enxio = 6,
    host_enoexec = 8,
    host_ebadf = 9,
    host_eagain = 11,
    host_enomem = 12,
    host_eacces = 13,
    host_ebusy = 16,
    host_eexist = 17,
    host_enodev = 19,
    host_enotdir = 20,
    host_eisdir = 21,
    host_einval = 22,
    host_enfile = 23,
    host_emfile = 24,
    host_etxtbsy = 26,
    host_efbig = 27,
    host_enospc = 28,
    host_erofs = 30,
    host_epipe = 32,
    host_enametoolong = 36,
    host_eloop = 40,
    host_eilseq = 84,
    host_eopnotsupp = 95,
    host_edquot = 122,
};

// What a name or a handle is, as raizes_host_stat reports it.
enum HostKind : int { host_regular = 1, host_folder = 2, host_character_device = 3, host_other = 4 };

struct HostStat {
    double device;  // exact up to 2^53
    double index;
    std::int32_t kind;
    double size;
};

}  // namespace plat::web

extern "C" {
// Console and standard handles. The read may wait for the user, in the page;
// a write never waits, and the turn lets the page have its turn now and
// then during a long run.
int raizes_host_is_console(int handle);
int raizes_host_read(int handle, char* buffer, int size);
int raizes_host_write(int handle, const char* bytes, int size);
int raizes_host_turn();
void raizes_host_close(int handle);
void raizes_host_discard_typed_ahead(int handle);
[[noreturn]] void raizes_host_exit(int status);

// Files. open gives a handle or minus the error; `create_new` fails on an
// existing file. The handle keeps its own position, moved by reads,
// writes and raizes_host_seek.
int raizes_host_open(const char* path, int create_new, int access);
int raizes_host_stat_path(const char* path, plat::web::HostStat* status);
int raizes_host_stat_handle(int handle, plat::web::HostStat* status);
int raizes_host_seek(int handle, double offset);
int raizes_host_truncate(int handle, double offset);
int raizes_host_unlink(const char* path);

// Environment and the command processor. The value of a variable is
// written into `value` (at most `size` bytes and a NUL): its length, or -1
// when it is not set. start gives an id, or minus the error; wait gives
// the exit status and may wait for the user, in the page.
int raizes_host_environment(const char* name, char* value, int size);
int raizes_host_start(const char* processor, const char* command);
int raizes_host_wait(int id);
}
