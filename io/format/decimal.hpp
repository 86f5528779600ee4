#pragma once
// The decimal conversion of an 8-byte real (17 significant digits, the 18th
// deciding) and the rounding of those digits to the digits a field shows:
// each a function from a value to a value.
#include <cstdint>

#include "io/format/blocks.hpp"

namespace io {

enum class RealKind { real4, real8 };

// A field shows no more significant digits than the kind of its value
// carries; the positions beyond are '0'.
constexpr int real8_cap = 16;
constexpr int real4_cap = 7;
constexpr int digit_cap(RealKind kind) { return kind == RealKind::real8 ? real8_cap : real4_cap; }

constexpr int conversion_digits = 17;

// The decimal conversion of a finite value: its 17-digit rounding as a
// number (trailing zeros kept) and its exponent.
struct Decimal {
    char sign;            // '-' or ' '; zero of either sign has ' '
    bool zero;            // the value is zero
    int exponent;         // x: value = 0.d1d2d3... x 10^x; zero has 0
    int count;            // digits in `value`: 17, none for zero
    std::uint64_t value;  // the digits as a number, below 10^count; 0 for zero
};

Decimal to_decimal(double finite_value);

// The digits a field shows, as text: the `count` digits kept, followed by
// '0' up to position `shown_padded`; every position after them stands for
// '0'. A layout copies a run of them from any position before
// `shown_padded` as a block.
constexpr int shown_padded = 32;

struct ShownDigits {
    char sign;     // '-' or ' '
    bool zero;     // the value is zero, or nothing of it is left after the rounding
    int exponent;  // x: value = 0.d1d2d3... x 10^x; zero has 0
    int count;     // digits kept
    char digits[blocks::with_spare_room(shown_padded)];
};

// The digits cut to n significant digits, or to the cap of `kind` when that
// is fewer, the digit after the cut deciding (half away from zero). A carry
// out of the first digit gives "1" and one more in the exponent. With n = 0
// the first digit decides between "1" one position up and nothing; with
// n < 0 nothing is left. Nothing left is zero: blank sign, exponent 0.
ShownDigits round_to_shown(const Decimal& converted, long long n, RealKind kind);

}  // namespace io
