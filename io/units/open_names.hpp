#pragma once
// File names of open statements: trimming and device names.
#include <string>
#include <string_view>

namespace io {

constexpr int file_name_limit = 259;

// A file name from a text: at most 259 characters, up to the first NUL,
// without leading and trailing blanks.
std::string file_name_from_text(const char* text, int length);

// What a name denotes when it names a device.
enum class Device {
    none,         // an ordinary file
    console,      // CON, USER: the console units' handles
    error,        // ERR: standard error
    null,         // NUL: the empty device
    unavailable,  // PRN, COMn, LPTn, AUX, LINE: no such device here
};

// Compared without regard to case. The name less its last extension must be
// one of the device names; with a non-empty extension the names beginning
// with E, L or U are ordinary files.
Device device_of(std::string_view name);

// "USER" stands for the console, "CON".
std::string console_alias(std::string name);

}  // namespace io
