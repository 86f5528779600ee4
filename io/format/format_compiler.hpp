#pragma once
// The format compiler: a format text becomes a byte list of descriptor
// entries (format_entries.hpp).
#include <cstdint>
#include <vector>

namespace io {

// The entries of a format text.
struct CompiledFormat {
    std::vector<std::uint8_t> bytes;
};

// Compiles `length` bytes of `text` (-1: up to the first NUL). Syntax errors
// become an error entry at the point of the fault; they are raised only when
// the walk reaches it.
void compile_format(const char* text, int length, CompiledFormat& out);

}  // namespace io
