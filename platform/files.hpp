#pragma once
// Files: attribute query, creating and opening, identity, cutting, deleting.
#include <optional>
#include <string>

#include "platform/console.hpp"

namespace plat {

// Why a file operation was refused, in terms every system shares.
enum class FileError {
    none,
    not_found,         // the file, or a folder on its path, does not exist
    not_a_folder,      // a part of the path is not a folder
    no_device,         // a device that is not there
    access_denied,     // the permissions refuse it
    read_only,         // a read-only file system
    busy,              // in use by the system or by another program
    exists,            // the file exists and a new one was asked for
    too_many_open,     // the process or the system has no handle left
    name_too_long,
    bad_name,          // a name or request the system refuses as such
    is_folder,         // a folder where a file was expected
    no_space,          // no room for a new file
    no_memory,
    unsupported_kind,  // neither an ordinary file nor a character device
    other,
};

// Sorts an operating-system error number into the classes above.
FileError classify_error(int error_number);

enum class FileAccess { read_write, read, write };
enum class Creation {
    open_existing,  // fails when the file does not exist
    create_new,     // fails when the file exists
};

struct OpenedFile {
    int handle = -1;
    FileError error = FileError::none;
    int system_error = 0;  // the operating system's own code, 0 when it gave none
};

// The operating system's wording of one of its error codes, for messages.
std::string system_error_text(int system_error);

// Opens or creates a file without any translation of its bytes, shared with
// other processes for reading and writing. A created file gets the normal
// permissions or attributes of the system. Directories are refused
// (is_folder), and so is anything else that is neither an ordinary file nor a
// character device, such as a pipe or a socket (unsupported_kind), before it
// could block the opening or the writes. Whether a started program inherits
// the handle is the system's custom: POSIX closes it in the child, Windows
// lets it be inherited.
OpenedFile open_file(const char* path, Creation creation, FileAccess access);

// Creates a new, empty file with a generated name in the temporary-file
// directory, open for reading and writing; `name` receives its path.
OpenedFile create_scratch_file(std::string& name);

// The name under which the system's null device is opened.
const char* null_device_path();

// True when the file's attributes can be read.
bool file_exists(const char* path);

// Which file a name or a handle denotes: equal identities are one file.
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long index = 0;
    bool regular = false;  // an ordinary file (not a device, pipe or directory)

    friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
        return a.device == b.device && a.index == b.index;
    }
};
std::optional<FileIdentity> path_identity(const char* path);
std::optional<FileIdentity> handle_identity(int handle);

// The file's size in bytes, or -1 when it cannot be told.
long long file_size(int handle);

// Moves the handle's file position; false when the handle cannot seek.
bool seek_to(int handle, long long offset);

// Cuts the file at `offset` (what lies beyond is removed).
WriteFailure truncate_file(int handle, long long offset);

FileError delete_file(const char* path);

}  // namespace plat
