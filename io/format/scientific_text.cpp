#include "io/format/scientific_text.hpp"

#include <charconv>
#include <cstdio>

namespace io {

char* scientific_text(char* first, char* last, double value, int precision) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(first, last, value, std::chars_format::scientific, precision).ptr;
#else
    const int length = std::snprintf(first, static_cast<std::size_t>(last - first), "%.*e", precision, value);
    return first + length;
#endif
}

}  // namespace io
