#pragma once
// List-directed input statements from the console.
#include <cstdint>
#include <string_view>

namespace io {

// The statement protocol: begin, one call per item, end. Each returns the
// statement status: 0, or the error's message number when `flags` asked for
// returned errors (otherwise an error ends the program with its report).
int begin_read(int unit, int flags = 0);
int read_integer_item(std::int32_t& value);
int read_real8_item(double& value);
int read_character_item(char* text, int length);
int end_read();

// Reads the next line of standard input through the console input unit,
// without its line end. Returns the line's length. Throws IoFailure at end
// of file, on a read failure, or for a line longer than `capacity`.
int read_console_line(char* line, int capacity);

// Conversions of a value text. Return 0 or the message number of the error.
int convert_integer(std::string_view text, std::int32_t& value);
int convert_real(std::string_view text, double& value);

}  // namespace io
