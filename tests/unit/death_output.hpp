#pragma once
// What a death test sees of the bytes its child wrote to standard error.
#include <gtest/gtest.h>

#include <string>

namespace unit_death {

// GoogleTest on Windows reads the child's standard error in text mode, so
// each CR LF arrives as LF there; the end-to-end tests check the bytes
// themselves.
inline std::string as_captured(std::string bytes) {
#if GTEST_OS_WINDOWS
    for (std::size_t at; (at = bytes.find("\r\n")) != std::string::npos;) bytes.erase(at, 1);
#endif
    return bytes;
}

}  // namespace unit_death
