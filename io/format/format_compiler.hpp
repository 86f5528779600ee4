#pragma once
// The format compiler: a format text becomes a byte list of descriptor
// entries (format_entries.hpp).
#include <cstdint>
#include <vector>

#include "io/format/format_plan.hpp"

namespace io {

// The entries of a format text, and the plans the record writer has made of
// them for the item sequences it was given (a plan belongs to the entries
// it was made from: compiling anew drops them).
struct CompiledFormat {
    std::vector<std::uint8_t> bytes;
    FormatPlans plans;
};

// Compiles `length` bytes of `text` (-1: up to the first NUL). Syntax errors
// become an error entry at the point of the fault; they are raised only when
// the interpreter reaches it.
void compile_format(const char* text, int length, CompiledFormat& out);

}  // namespace io
