#pragma once
// The decimal conversion as digit text (the digits string of a value, with
// its sign, exponent and finite flag), for the tests that compare it with an
// exact reference.
#include <cstdint>
#include <cmath>
#include <cstring>

#include "io/format/decimal.hpp"
#include "io/format/edit.hpp"

namespace io {

struct DecimalDigits {
    char sign = ' ';          // '-' or ' '; zero of either sign has ' '
    int count = 1;            // number of digits
    char digits[17] = {'0'};  // no leading zeros, trailing zeros removed
    int exponent = 0;         // value = 0.d1d2d3... x 10^exponent; zero has 0
    bool finite = true;
    const char* nonfinite_text = nullptr;  // "1#INF", "1#IND", "1#QNAN", "1#SNAN"
};

inline DecimalDigits to_decimal_digits(double value) {
    DecimalDigits dd;
    if (const char* text = io::nonfinite_text(value)) {
        dd.sign = std::signbit(value) ? '-' : ' ';
        dd.finite = false;
        dd.nonfinite_text = text;
        dd.count = static_cast<int>(std::strlen(text));
        std::memcpy(dd.digits, text, static_cast<std::size_t>(dd.count));
        return dd;
    }
    const Decimal converted = to_decimal(value);
    if (converted.zero) return dd;  // digits "0", exponent 0
    dd.sign = converted.sign;
    dd.exponent = converted.exponent;
    std::uint64_t v = converted.value;
    for (int i = converted.count - 1; i >= 0; --i, v /= 10) dd.digits[i] = static_cast<char>('0' + v % 10);
    dd.count = converted.count;
    while (dd.count > 1 && dd.digits[dd.count - 1] == '0') --dd.count;
    return dd;
}

}  // namespace io
