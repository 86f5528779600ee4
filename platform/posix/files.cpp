#include "platform/files.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

namespace {

int access_flags(FileAccess access) {
    switch (access) {
        case FileAccess::read_write: return O_RDWR;
        case FileAccess::read: return O_RDONLY;
        case FileAccess::write: return O_WRONLY;
    }
    return O_RDWR;
}

FileIdentity identity_of(const struct stat& status) {
    return FileIdentity{static_cast<unsigned long long>(status.st_dev),
                        static_cast<unsigned long long>(status.st_ino), S_ISREG(status.st_mode)};
}

// Drops a handle that must not become a connection, keeping the error.
OpenedFile refuse(int handle, FileError error, int system_error = 0) {
    ::close(handle);
    return OpenedFile{-1, error, system_error};
}

OpenedFile failed_with(int error_number) { return OpenedFile{-1, classify_error(error_number), error_number}; }

}  // namespace

FileError classify_error(int error_number) {
    switch (error_number) {
        case 0: return FileError::none;
        case ENOENT: return FileError::not_found;
        case ENOTDIR: return FileError::not_a_folder;
        case ENXIO:
        case ENODEV: return FileError::no_device;
        case EACCES:
        case EPERM: return FileError::access_denied;
        case EROFS: return FileError::read_only;
        case ETXTBSY:
        case EBUSY: return FileError::busy;
        case EEXIST: return FileError::exists;
        case EMFILE:
        case ENFILE: return FileError::too_many_open;
        case ENAMETOOLONG: return FileError::name_too_long;
        case EINVAL:
        case ELOOP:
        case EILSEQ:
        case EOPNOTSUPP: return FileError::bad_name;
        case EISDIR: return FileError::is_folder;
        case ENOSPC:
        case EDQUOT: return FileError::no_space;
        case ENOMEM: return FileError::no_memory;
        default: return FileError::other;
    }
}

OpenedFile open_file(const char* path, Creation creation, FileAccess access) {
    // A pipe opened for writing waits for a reader, a socket cannot be
    // opened at all: such files are refused by their kind before the open.
    struct stat status;
    if (creation == Creation::open_existing && ::stat(path, &status) == 0) {
        if (S_ISDIR(status.st_mode)) return OpenedFile{-1, FileError::is_folder};
        if (!S_ISREG(status.st_mode) && !S_ISCHR(status.st_mode)) return OpenedFile{-1, FileError::unsupported_kind};
    }
    // Not blocking while opening, in case the file was replaced meanwhile.
    int flags = access_flags(access) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (creation == Creation::create_new) flags |= O_CREAT | O_EXCL;
    int handle;
    do {
        handle = ::open(path, flags, 0666);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0) return failed_with(errno);

    if (::fstat(handle, &status) != 0) return refuse(handle, classify_error(errno), errno);
    if (S_ISDIR(status.st_mode)) return refuse(handle, FileError::is_folder);
    if (!S_ISREG(status.st_mode) && !S_ISCHR(status.st_mode)) return refuse(handle, FileError::unsupported_kind);
    if (::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK) != 0)
        return refuse(handle, classify_error(errno), errno);
    return OpenedFile{handle, FileError::none};
}

OpenedFile create_scratch_file(std::string& name) {
    std::string pattern = "/tmp/raizes-scratch-XXXXXX";
    int handle = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (handle < 0) return failed_with(errno);
    name = pattern;
    return OpenedFile{handle, FileError::none};
}

const char* null_device_path() { return "/dev/null"; }

bool file_exists(const char* path) {
    struct stat status;
    return ::stat(path, &status) == 0;
}

std::optional<FileIdentity> path_identity(const char* path) {
    struct stat status;
    if (::stat(path, &status) != 0) return std::nullopt;
    return identity_of(status);
}

std::optional<FileIdentity> handle_identity(int handle) {
    struct stat status;
    if (::fstat(handle, &status) != 0) return std::nullopt;
    return identity_of(status);
}

long long file_size(int handle) {
    struct stat status;
    if (::fstat(handle, &status) != 0) return -1;
    return static_cast<long long>(status.st_size);
}

bool seek_to(int handle, long long offset) {
    return ::lseek(handle, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

WriteFailure truncate_file(int handle, long long offset) {
    int result;
    do {
        result = ::ftruncate(handle, static_cast<off_t>(offset));
    } while (result != 0 && errno == EINTR);
    if (result == 0) return WriteFailure::none;
    switch (errno) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return WriteFailure::no_space;
        // A handle not open for writing is refused with EBADF or EINVAL.
        case EBADF:
        case EINVAL:
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY: return WriteFailure::access_denied;
        default: return WriteFailure::other;
    }
}

std::string system_error_text(int system_error) { return std::strerror(system_error); }

FileError delete_file(const char* path) {
    if (::unlink(path) == 0) return FileError::none;
    return classify_error(errno);
}

}  // namespace plat
