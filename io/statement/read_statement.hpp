#pragma once
// Input statements from the console: a begin call, one call per item, an
// end call.
#include <cstdint>

namespace io {

// Each returns the statement status: 0, or the error's message number when
// `flags` asked for returned errors (otherwise an error ends the program
// with its report). After an error the rest of the statement does nothing.
int begin_read(int unit, int flags = 0);
int read_integer_item(std::int32_t& value);
int read_real8_item(double& value);
int read_character_item(char* text, int length);
int end_read();

}  // namespace io
