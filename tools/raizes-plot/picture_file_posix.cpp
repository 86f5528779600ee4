#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "picture_file.hpp"

namespace plot {

namespace {

// Symbolic links followed at most, as the system itself does.
constexpr int most_links = 40;

std::string reason_of(int error) { return std::strerror(error); }

std::optional<std::string> write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return reason_of(errno);
        if (n == 0) return std::string("nothing could be written");
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return std::nullopt;
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file a name stands for, after its symbolic links.
struct Target {
    std::string path;
    bool exists;
    struct stat status;
};

std::optional<Target> follow_links(std::string path, std::string& reason) {
    for (int links = 0; links <= most_links; ++links) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                reason = reason_of(errno);
                return std::nullopt;
            }
            return Target{path, false, status};
        }
        if (!S_ISLNK(status.st_mode)) return Target{path, true, status};
        std::vector<char> link(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 2);
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size()) {
            reason = n < 0 ? reason_of(errno) : "the symbolic link changed while it was read";
            return std::nullopt;
        }
        const std::string to(link.data(), static_cast<std::size_t>(n));
        path = to.front() == '/' ? to : folder_of(path) + "/" + to;
    }
    reason = reason_of(ELOOP);
    return std::nullopt;
}

std::optional<std::string> write_in_place(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return reason_of(errno);
    struct stat status {};
    std::optional<std::string> failure;
    if (::fstat(fd, &status) != 0) failure = reason_of(errno);
    else if (!S_ISFIFO(status.st_mode) && !S_ISCHR(status.st_mode))
        failure = "it changed into another kind of file while it was opened";
    else failure = write_all(fd, bytes);
    if (::close(fd) != 0 && !failure && errno != EINTR) failure = reason_of(errno);
    return failure;
}

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

std::optional<std::string> replace(const Target& target, std::string_view bytes) {
    std::string temporary = folder_of(target.path) + "/.raizes-plot-XXXXXX";
    const HeldSignals held;
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return reason_of(errno);
    const mode_t mode = target.exists ? (target.status.st_mode & 0777) : new_file_mode();
    std::optional<std::string> failure;
    if (::fchmod(fd, mode) != 0) failure = reason_of(errno);
    if (!failure) failure = write_all(fd, bytes);
    if (!failure && ::fsync(fd) != 0 && errno != EINVAL) failure = reason_of(errno);
    if (::close(fd) != 0 && !failure) failure = reason_of(errno);
    if (!failure && ::rename(temporary.c_str(), target.path.c_str()) != 0) failure = reason_of(errno);
    if (failure) ::unlink(temporary.c_str());
    return failure;
}

}  // namespace

std::optional<std::string> write_picture(const std::string& destination, std::string_view bytes) {
    // A reader that went away, or a file size limit, makes the write fail
    // with its reason instead of ending the run.
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGXFSZ, SIG_IGN);
    if (destination == "-") return write_all(STDOUT_FILENO, bytes);
    std::string reason;
    const auto target = follow_links(destination, reason);
    if (!target) return reason;
    if (!target->exists || S_ISREG(target->status.st_mode)) return replace(*target, bytes);
    if (S_ISFIFO(target->status.st_mode) || S_ISCHR(target->status.st_mode)) return write_in_place(target->path, bytes);
    return std::string("not a regular file, a FIFO or a character device: it is not replaced");
}

}  // namespace plot
