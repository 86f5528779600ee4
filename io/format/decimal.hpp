#pragma once
// The decimal conversion of an 8-byte real (17 significant digits, the 18th
// deciding) and the rounding of those digits to the digits a field shows.
#include <cstdint>

namespace io {

// The decimal conversion of an 8-byte real: up to 17 significant digits.
struct DecimalDigits {
    char sign = ' ';      // '-' or ' '; zero of either sign has ' '
    int count = 1;        // number of digits
    char digits[17] = {'0'};  // no leading zeros, trailing zeros removed
    int exponent = 0;     // value = 0.d1d2d3... x 10^exponent; zero has 0
    bool finite = true;
    const char* nonfinite_text = nullptr;  // "1#INF", "1#IND", "1#QNAN", "1#SNAN"
};

DecimalDigits to_decimal_digits(double value);

// The text that stands for a non-finite value ("1#INF", "1#IND", "1#QNAN",
// "1#SNAN"); null for a finite value.
const char* nonfinite_text(double value);

enum class RealKind { real4, real8 };

// A field shows no more significant digits than the kind of its value
// carries; the positions beyond are '0'.
constexpr int real8_cap = 16;
constexpr int real4_cap = 7;
constexpr int digit_cap(RealKind kind) { return kind == RealKind::real8 ? real8_cap : real4_cap; }

// The digits of a finite value as the field layouts read them. The
// conversion gives them as a number, `value`, of 17 digits (trailing zeros
// kept); the rounding to the digits shown cuts it to `count` digits and
// writes them as text into `digits`, followed by '0' up to position
// `shown_padded`. Every position after the `count` digits stands for '0'.
// The buffer is large enough for a layout to copy a run of `shown_padded`
// bytes from any position before `shown_padded` at once.
constexpr int conversion_digits = 17;
constexpr int shown_padded = 32;
constexpr int shown_buffer = 2 * shown_padded;

struct ShownDigits {
    char sign;            // '-' or ' '
    bool zero;            // the value is zero, or nothing of it is left after the rounding
    int exponent;         // x: value = 0.d1d2d3... x 10^x; zero has 0
    int count;            // digits in `value` (below 10^count), and held in `digits`
    std::uint64_t value;  // the digits as a number; 0 for zero
    char digits[shown_buffer];

    char digit(long long position) const { return position < count ? digits[position] : '0'; }
};

// The converted digits of a finite value; `digits` is not written yet.
ShownDigits shown_digits(double value);

// Cuts the digits to n significant digits, or to the cap of `kind` when that
// is fewer, the digit after the cut deciding (half away from zero), and
// writes them as text. A carry out of the first digit gives "1" and one
// more in the exponent. With n = 0 the first digit decides between "1" one
// position up and nothing; with n < 0 nothing is left. Nothing left is
// zero: blank sign, exponent 0. Every layout calls it once, before reading
// the digits.
void round_to_shown(ShownDigits& s, long long n, RealKind kind);

}  // namespace io
