#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>

#include "picture_file.hpp"

namespace plot {

namespace {

std::string reason_of(int error) { return std::strerror(error); }

// 0 when every byte was written, else the error.
int write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

std::optional<std::string> failure_of(int error) {
    if (error == 0) return std::nullopt;
    return reason_of(error);
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Signals that would end the run while the new file exists under its
// temporary name wait until it has been renamed or removed.
struct HeldSignals {
    sigset_t previous;
    HeldSignals() {
        sigset_t held;
        sigemptyset(&held);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, s);
        sigprocmask(SIG_BLOCK, &held, &previous);
    }
    ~HeldSignals() { sigprocmask(SIG_SETMASK, &previous, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;
};

// Permissions of a new file: what the process's umask allows of rw-rw-rw-,
// and always the owner's reading and writing. A umask that takes those away
// too (WebAssembly's run-time reports 0777) would leave a picture that
// nobody can open.
mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return (0666 & ~mask) | S_IRUSR | S_IWUSR;
}

// Writes the picture to a new file of an unpredictable name in the folder of
// `path` and renames it over `path`. Between the two nothing allocates, so
// that a refused allocation, which ends the run, cannot leave it behind.
int replace(const std::string& path, mode_t mode, std::string_view bytes) {
    std::string temporary = folder_of(path) + "/.raizes-plot-XXXXXX";
    const HeldSignals held;
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return errno;
    int error = ::fchmod(fd, mode) != 0 ? errno : 0;
    if (error == 0) error = write_all(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temporary.c_str());
    return error;
}

// A FIFO or a character device, opened again by its name: it must still be
// the file that was found.
std::optional<std::string> write_in_place(const std::string& path, const struct stat& found, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return reason_of(errno);
    struct stat opened {};
    int error = ::fstat(fd, &opened) != 0 ? errno : 0;
    if (error == 0 && !same_file(opened, found)) {
        ::close(fd);
        return std::string("it changed into another file while it was opened");
    }
    if (error == 0) error = write_all(fd, bytes);
    if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
    return failure_of(error);
}

// Where the kernel found the file behind the descriptor `fd`, as long as that
// name still holds the same file.
std::optional<std::string> kernel_path(int fd, const struct stat& found) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string path(PATH_MAX, '\0');
    const ssize_t n = ::readlink(link.c_str(), path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return std::nullopt;
    path.resize(static_cast<std::size_t>(n));
    struct stat named {};
    if (path.front() != '/' || ::lstat(path.c_str(), &named) != 0 || !same_file(named, found)) return std::nullopt;
    return path;
}

bool is_link(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// A regular file, found through the kernel as `fd`, replaced as a whole where
// it lies. `created`: this run made it, empty, and removes it on failure.
std::optional<std::string> replace_found(const std::string& destination, int fd, const struct stat& found,
                                         bool created, std::string_view bytes) {
    const auto path = is_link(destination) ? kernel_path(fd, found) : destination;
    if (!path) return std::string("where the symbolic link leads cannot be told (it moved, or /proc is missing)");
    const int error = replace(*path, found.st_mode & 07777, bytes);
    if (error != 0 && created) ::unlink(path->c_str());
    return failure_of(error);
}

std::optional<std::string> write_found(const std::string& destination, int fd, bool created, std::string_view bytes) {
    struct stat found {};
    if (::fstat(fd, &found) != 0) return reason_of(errno);
    if (S_ISREG(found.st_mode)) return replace_found(destination, fd, found, created, bytes);
    if (S_ISFIFO(found.st_mode) || S_ISCHR(found.st_mode)) return write_in_place(destination, found, bytes);
    return std::string("not a regular file, a FIFO or a character device: it is not replaced");
}

}  // namespace

std::optional<int> descriptor_named(std::string_view name) {
    if (name == "-" || name == "/dev/stdout") return 1;
    if (name == "/dev/stdin") return 0;
    if (name == "/dev/stderr") return 2;
    for (std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
        if (name.substr(0, folder.size()) != folder) continue;
        const std::string_view digits = name.substr(folder.size());
        int fd = -1;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
        // As the kernel names them: decimal digits without a leading zero.
        const bool canonical = !digits.empty() && (digits.front() != '0' || digits.size() == 1);
        if (error == std::errc() && end == digits.data() + digits.size() && canonical && fd >= 0) return fd;
    }
    return std::nullopt;
}

std::optional<std::string> write_picture(const std::string& destination, std::string_view bytes) {
    // A reader that went away, or a file size limit, makes the write fail
    // with its reason instead of ending the run.
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGXFSZ, SIG_IGN);
    if (const auto fd = descriptor_named(destination)) return failure_of(write_all(*fd, bytes));
    // The kernel follows the links of the name, under its own rules.
    int fd = ::open(destination.c_str(), O_PATH | O_CLOEXEC);
    bool created = false;
    if (fd < 0 && errno == ENOENT) {
        if (!is_link(destination)) return failure_of(replace(destination, new_file_mode(), bytes));
        // A link to nothing: the kernel makes the file it leads to, empty,
        // to be replaced like any regular file.
        fd = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, new_file_mode());
        created = fd >= 0;
    }
    if (fd < 0) return reason_of(errno);
    const auto failure = write_found(destination, fd, created, bytes);
    ::close(fd);
    return failure;
}

}  // namespace plot
