#pragma once
// Conversions of a list-directed value text to an integer or a real.
#include <cstdint>
#include <string_view>

namespace io {

// Return 0 or the message number of the error; the value is stored only on
// success.
int convert_integer(std::string_view text, std::int32_t& value);
int convert_real(std::string_view text, double& value);

}  // namespace io
