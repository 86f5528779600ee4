#include "platform/files.hpp"

#include <string_view>

#include "platform/web/host.hpp"

namespace plat {

namespace {

using namespace web;

OpenedFile failed_with(int error) { return OpenedFile{-1, classify_error(error), error}; }

FileIdentity identity_of(const HostStat& status) {
    return FileIdentity{static_cast<unsigned long long>(status.device), static_cast<unsigned long long>(status.index),
                        status.kind == host_regular};
}

// The wording of the system's own texts for these numbers.
struct ErrorText {
    int error;
    std::string_view text;
};

constexpr ErrorText error_texts[] = {
    {host_eperm, "Operation not permitted"},
    {host_enoent, "No such file or directory"},
    {host_eio, "Input/output error"},
    {host_enxio, "No such device or address"},
    {host_enoexec, "Exec format error"},
    {host_ebadf, "Bad file descriptor"},
    {host_eagain, "Resource temporarily unavailable"},
    {host_enomem, "Cannot allocate memory"},
    {host_eacces, "Permission denied"},
    {host_ebusy, "Device or resource busy"},
    {host_eexist, "File exists"},
    {host_enodev, "No such device"},
    {host_enotdir, "Not a directory"},
    {host_eisdir, "Is a directory"},
    {host_einval, "Invalid argument"},
    {host_enfile, "Too many open files in system"},
    {host_emfile, "Too many open files"},
    {host_etxtbsy, "Text file busy"},
    {host_efbig, "File too large"},
    {host_enospc, "No space left on device"},
    {host_erofs, "Read-only file system"},
    {host_epipe, "Broken pipe"},
    {host_enametoolong, "File name too long"},
    {host_eloop, "Too many levels of symbolic links"},
    {host_eilseq, "Invalid or incomplete multibyte or wide character"},
    {host_eopnotsupp, "Operation not supported"},
    {host_edquot, "Disk quota exceeded"},
};

}  // namespace

FileError classify_error(int error_number) {
    switch (error_number) {
        case 0: return FileError::none;
        case host_enoent: return FileError::not_found;
        case host_enotdir: return FileError::not_a_folder;
        case host_enxio:
        case host_enodev: return FileError::no_device;
        case host_eacces:
        case host_eperm: return FileError::access_denied;
        case host_erofs: return FileError::read_only;
        case host_etxtbsy:
        case host_ebusy: return FileError::busy;
        case host_eexist: return FileError::exists;
        case host_emfile:
        case host_enfile: return FileError::too_many_open;
        case host_enametoolong: return FileError::name_too_long;
        case host_einval:
        case host_eloop:
        case host_eilseq:
        case host_eopnotsupp: return FileError::bad_name;
        case host_eisdir: return FileError::is_folder;
        case host_enospc:
        case host_edquot: return FileError::no_space;
        case host_enomem: return FileError::no_memory;
        default: return FileError::other;
    }
}

OpenedFile open_file(const char* path, Creation creation, FileAccess access) {
    // A pipe opened for writing would wait for a reader: such files are
    // refused by their kind before the open, and again after it.
    HostStat status{};
    if (creation == Creation::open_existing && raizes_host_stat_path(path, &status) == 0) {
        if (status.kind == host_folder) return OpenedFile{-1, FileError::is_folder};
        if (status.kind == host_other) return OpenedFile{-1, FileError::unsupported_kind};
    }
    const int handle = raizes_host_open(path, creation == Creation::create_new ? 1 : 0, static_cast<int>(access));
    if (handle < 0) return failed_with(-handle);
    if (const int error = raizes_host_stat_handle(handle, &status); error != 0) {
        raizes_host_close(handle);
        return failed_with(-error);
    }
    if (status.kind == host_folder || status.kind == host_other) {
        raizes_host_close(handle);
        return OpenedFile{-1, status.kind == host_folder ? FileError::is_folder : FileError::unsupported_kind};
    }
    return OpenedFile{handle, FileError::none};
}

OpenedFile create_scratch_file(std::string& name) {
    // Names are tried in turn until one does not exist yet.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string candidate = "raizes-scratch-" + std::to_string(attempt);
        const int handle = raizes_host_open(candidate.c_str(), 1, static_cast<int>(FileAccess::read_write));
        if (handle >= 0) {
            name = candidate;
            return OpenedFile{handle, FileError::none};
        }
        if (-handle != host_eexist) return failed_with(-handle);
    }
    return OpenedFile{-1, FileError::exists};
}

const char* null_device_path() { return "/dev/null"; }

bool file_exists(const char* path) {
    HostStat status{};
    return raizes_host_stat_path(path, &status) == 0;
}

std::optional<FileIdentity> path_identity(const char* path) {
    HostStat status{};
    if (raizes_host_stat_path(path, &status) != 0) return std::nullopt;
    return identity_of(status);
}

std::optional<FileIdentity> handle_identity(int handle) {
    HostStat status{};
    if (raizes_host_stat_handle(handle, &status) != 0) return std::nullopt;
    return identity_of(status);
}

long long file_size(int handle) {
    HostStat status{};
    if (raizes_host_stat_handle(handle, &status) != 0) return -1;
    return static_cast<long long>(status.size);
}

bool seek_to(int handle, long long offset) { return raizes_host_seek(handle, static_cast<double>(offset)) == 0; }

WriteFailure truncate_file(int handle, long long offset) {
    switch (-raizes_host_truncate(handle, static_cast<double>(offset))) {
        case 0: return WriteFailure::none;
        case host_enospc:
        case host_edquot:
        case host_efbig: return WriteFailure::no_space;
        // A handle not open for writing is refused with EBADF or EINVAL.
        case host_ebadf:
        case host_einval:
        case host_eacces:
        case host_eperm:
        case host_erofs:
        case host_etxtbsy: return WriteFailure::access_denied;
        default: return WriteFailure::other;
    }
}

std::string system_error_text(int system_error) {
    for (const ErrorText& entry : error_texts)
        if (entry.error == system_error) return std::string(entry.text);
    return "Unknown error " + std::to_string(system_error);
}

FileError delete_file(const char* path) { return classify_error(-raizes_host_unlink(path)); }

}  // namespace plat
