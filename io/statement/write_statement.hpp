#pragma once
// The output statement protocol: a begin call, one call per item, and an end
// call that performs the whole transfer. With a format the statement is
// format-directed; without one (the console prompts) it is list-directed.
#include <cstdint>

namespace io {

// Returns 0, or the error number when bit 0 of `flags` asks for returned
// errors (otherwise an error ends the program with its report).
// `format` may be null (list-directed); `format_length` -1 means up to the
// first NUL. `advance` may be null; "NO" asks for non-advancing output.
int begin_write(int unit, const char* format, int format_length, const char* advance = nullptr,
                int advance_length = 0, int flags = 0);
int write_integer_item(std::int32_t value);
int write_real8_item(double value);
int write_character_item(const char* text, int length);
int end_write();

}  // namespace io
