#pragma once
// The nearest double to a decimal text digits[.digits]e[-]digits: by the
// C++ library, or by the C library where the C++ library has no
// floating-point conversion. Both are correctly rounded.
namespace io {

enum class DecimalReading { value, out_of_range, invalid };

// Reads the whole of [first, last); `last` points at a NUL. A value too
// large for a double, or too small to be anything but zero, is out of range.
DecimalReading read_decimal(const char* first, const char* last, double& value);

}  // namespace io
