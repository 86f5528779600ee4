#include "io/listio/decimal_reading.hpp"

#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace io {

DecimalReading read_decimal(const char* first, const char* last, double& value) {
#if defined(__cpp_lib_to_chars)
    const auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) return DecimalReading::out_of_range;
    if (result.ec != std::errc() || result.ptr != last) return DecimalReading::invalid;
    return DecimalReading::value;
#else
    char* end = nullptr;
    errno = 0;
    value = std::strtod(first, &end);
    if (end != last) return DecimalReading::invalid;
    if (std::isinf(value) || (value == 0.0 && errno == ERANGE)) return DecimalReading::out_of_range;
    return DecimalReading::value;
#endif
}

}  // namespace io
