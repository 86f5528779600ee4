#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "picture_file.hpp"

namespace plot {

namespace {

std::string reason_of(DWORD error) {
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                   sizeof text, nullptr);
    std::string reason(text, n);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "error " + std::to_string(error) : reason;
}

// ERROR_SUCCESS when every byte was written, else the error.
DWORD write_all(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

std::optional<std::string> failure_of(DWORD error) {
    if (error == ERROR_SUCCESS) return std::nullopt;
    return reason_of(error);
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/:");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash + (path[slash] == ':' ? 1 : 0));
}

std::optional<std::string> replace(const std::string& path, std::string_view bytes) {
    std::random_device entropy;
    std::string temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "\\.raizes-plot-%08x%08x", entropy(), entropy());
        temporary = folder_of(path) + name;
        file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return reason_of(GetLastError());
    }
    if (file == INVALID_HANDLE_VALUE) return std::string("no temporary file could be created");
    // Nothing allocates until the new file is renamed or removed, so that a
    // refused allocation, which ends the run, cannot leave it behind.
    DWORD error = write_all(file, bytes);
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file)) error = GetLastError();
    if (!CloseHandle(file) && error == ERROR_SUCCESS) error = GetLastError();
    if (error == ERROR_SUCCESS &&
        !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS) DeleteFileA(temporary.c_str());
    return failure_of(error);
}

}  // namespace

std::optional<int> descriptor_named(std::string_view name) {
    if (name == "-") return 1;
    return std::nullopt;
}

std::optional<std::string> write_picture(const std::string& destination, std::string_view bytes) {
    if (destination == "-") {
        std::fflush(stdout);
        return failure_of(write_all(GetStdHandle(STD_OUTPUT_HANDLE), bytes));
    }
    const DWORD attributes = GetFileAttributesA(destination.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return replace(destination, bytes);
        if (error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_NAME) return reason_of(error);
    }
    // A device (NUL, CON) or a named pipe is written to as it is.
    HANDLE file = CreateFileA(destination.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return std::string("not a regular file, a pipe or a device: it is not replaced");
        return reason_of(GetLastError());
    }
    const DWORD type = GetFileType(file);
    if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
        const DWORD error = write_all(file, bytes);
        CloseHandle(file);
        return failure_of(error);
    }
    CloseHandle(file);
    if (type != FILE_TYPE_DISK || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::string("not a regular file, a pipe or a device: it is not replaced");
    return replace(destination, bytes);
}

}  // namespace plot
