#include "platform/files.hpp"

#include <windows.h>

#include <string>

#include "platform/windows/handles.hpp"
#include "platform/windows/write_failure.hpp"

namespace plat {

namespace {

DWORD desired_access(FileAccess access) {
    switch (access) {
        case FileAccess::read_write: return GENERIC_READ | GENERIC_WRITE;
        case FileAccess::read: return GENERIC_READ;
        case FileAccess::write: return GENERIC_WRITE;
    }
    return GENERIC_READ | GENERIC_WRITE;
}

bool is_directory(const char* path) {
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Files and character devices can be connected; pipes and the like cannot.
bool connectable(HANDLE handle) {
    const DWORD type = ::GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_CHAR;
}

std::optional<FileIdentity> identity_of(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!::GetFileInformationByHandle(handle, &information)) return std::nullopt;
    const bool directory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return FileIdentity{information.dwVolumeSerialNumber,
                        (static_cast<unsigned long long>(information.nFileIndexHigh) << 32) | information.nFileIndexLow,
                        !directory && ::GetFileType(handle) == FILE_TYPE_DISK};
}

// Opens with read-write sharing and an inheritable handle, the way every
// connection is opened.
HANDLE create_file(const char* path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    return ::CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A system handle that must not become a connection is closed again.
OpenedFile refuse(HANDLE handle, FileError error) {
    ::CloseHandle(handle);
    return OpenedFile{-1, error};
}

// A handle not open for writing is refused with access denied, or with an
// invalid parameter by some systems.
WriteFailure cut_failure(DWORD error) {
    return error == ERROR_INVALID_PARAMETER ? WriteFailure::access_denied : win::write_failure(error);
}

// The refusal of the system's last failing call, with its own code.
OpenedFile refused_by_system() {
    const DWORD error = ::GetLastError();
    return OpenedFile{-1, classify_error(static_cast<int>(error)), static_cast<int>(error)};
}

OpenedFile adopt(HANDLE handle) {
    const int slot = win::add_handle(handle);
    if (slot < 0) return refuse(handle, FileError::too_many_open);
    return OpenedFile{slot, FileError::none};
}

}  // namespace

FileError classify_error(int error_number) {
    switch (static_cast<DWORD>(error_number)) {
        case ERROR_SUCCESS: return FileError::none;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME: return FileError::not_found;
        case ERROR_DIRECTORY: return FileError::not_a_folder;
        case ERROR_BAD_UNIT:
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST: return FileError::no_device;
        case ERROR_ACCESS_DENIED:
        case ERROR_CURRENT_DIRECTORY: return FileError::access_denied;
        case ERROR_WRITE_PROTECT: return FileError::read_only;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return FileError::busy;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return FileError::exists;
        case ERROR_TOO_MANY_OPEN_FILES: return FileError::too_many_open;
        case ERROR_FILENAME_EXCED_RANGE: return FileError::name_too_long;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_PARAMETER:
        case ERROR_NOT_SUPPORTED: return FileError::bad_name;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return FileError::no_space;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return FileError::no_memory;
        default: return FileError::other;
    }
}

OpenedFile open_file(const char* path, Creation creation, FileAccess access) {
    const DWORD disposition = creation == Creation::create_new ? CREATE_NEW : OPEN_EXISTING;
    HANDLE handle = create_file(path, desired_access(access), disposition);
    if (handle == INVALID_HANDLE_VALUE) {
        const OpenedFile refused = refused_by_system();
        // A directory cannot be opened as a file: the system says access is
        // denied.
        if (refused.system_error == ERROR_ACCESS_DENIED && is_directory(path))
            return OpenedFile{-1, FileError::is_folder};
        return refused;
    }
    if (!connectable(handle)) return refuse(handle, FileError::unsupported_kind);
    return adopt(handle);
}

OpenedFile create_scratch_file(std::string& name) {
    char directory[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(sizeof directory, directory);
    if (length == 0 || length > MAX_PATH) return OpenedFile{-1, FileError::not_found};
    char path[MAX_PATH + 1];
    // Makes the file, empty, under a name that did not exist.
    if (::GetTempFileNameA(directory, "rz", 0, path) == 0) return refused_by_system();
    HANDLE handle = create_file(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) {
        const OpenedFile refused = refused_by_system();
        ::DeleteFileA(path);
        return refused;
    }
    OpenedFile file = adopt(handle);
    if (file.error != FileError::none) {
        ::DeleteFileA(path);
        return file;
    }
    name = path;
    return file;
}

const char* null_device_path() { return "NUL"; }

bool file_exists(const char* path) { return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

std::optional<FileIdentity> path_identity(const char* path) {
    // No access is asked for: only the file's information is read.
    HANDLE handle = ::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<FileIdentity> identity = identity_of(handle);
    ::CloseHandle(handle);
    return identity;
}

std::optional<FileIdentity> handle_identity(int handle) {
    HANDLE system = win::system_handle(handle);
    if (system == INVALID_HANDLE_VALUE) return std::nullopt;
    return identity_of(system);
}

long long file_size(int handle) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(win::system_handle(handle), &size)) return -1;
    return size.QuadPart;
}

bool seek_to(int handle, long long offset) {
    LARGE_INTEGER target;
    target.QuadPart = offset;
    return ::SetFilePointerEx(win::system_handle(handle), target, nullptr, FILE_BEGIN) != 0;
}

WriteFailure truncate_file(int handle, long long offset) {
    HANDLE system = win::system_handle(handle);
    // The file's end is set at the file pointer: it goes there and back.
    LARGE_INTEGER zero{}, current, target;
    target.QuadPart = offset;
    if (!::SetFilePointerEx(system, zero, &current, FILE_CURRENT) ||
        !::SetFilePointerEx(system, target, nullptr, FILE_BEGIN))
        return win::write_failure(::GetLastError());
    const BOOL cut = ::SetEndOfFile(system);
    const DWORD error = cut ? ERROR_SUCCESS : ::GetLastError();
    ::SetFilePointerEx(system, current, nullptr, FILE_BEGIN);
    return cut ? WriteFailure::none : cut_failure(error);
}

std::string system_error_text(int system_error) {
    char text[256];
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                    static_cast<DWORD>(system_error), 0, text, sizeof text, nullptr);
    // The system's texts end with a full stop and a line end.
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.')) --length;
    if (length == 0) return "system error " + std::to_string(system_error);
    return std::string(text, length);
}

FileError delete_file(const char* path) {
    if (::DeleteFileA(path)) return FileError::none;
    return classify_error(static_cast<int>(::GetLastError()));
}

}  // namespace plat
