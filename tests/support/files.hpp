#pragma once
// Files for the tests, through the platform's own calls, so that the tests
// run wherever the program does.
#include <string>

#include "platform/console.hpp"
#include "platform/files.hpp"

namespace test_files {

// The whole content of a file, read through a handle of its own.
inline std::string read_file(const std::string& path) {
    const plat::OpenedFile file = plat::open_file(path.c_str(), plat::Creation::open_existing, plat::FileAccess::read);
    std::string bytes;
    if (file.handle < 0) return bytes;
    char chunk[4096];
    for (long n; (n = plat::read_some(file.handle, chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<std::size_t>(n));
    plat::close_handle(file.handle);
    return bytes;
}

// Writes bytes at the start of an existing file, through a handle of its own.
inline bool write_at_start(const std::string& path, const std::string& bytes) {
    const plat::OpenedFile file = plat::open_file(path.c_str(), plat::Creation::open_existing, plat::FileAccess::write);
    if (file.handle < 0) return false;
    const bool written = plat::write_all(file.handle, bytes.data(), bytes.size()) == plat::WriteFailure::none;
    plat::close_handle(file.handle);
    return written;
}

// A new empty file with a generated name, removed when the object goes.
class ScratchFile {
public:
    ScratchFile() : handle_(plat::create_scratch_file(path_).handle) {}
    ~ScratchFile() {
        plat::close_handle(handle_);
        plat::delete_file(path_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    int handle() const { return handle_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int handle_;
};

}  // namespace test_files
