// Fixed-point rendering for the F descriptor.
#include "io/format/format_fixed.hpp"

#include <algorithm>

namespace io {

namespace {

constexpr int real8_digit_cap = 16;

// The digit string cut to `keep` digits, the digit after them deciding
// (half away from zero). A carry out of the first digit gives "1" and one
// more in the exponent. `keep` 0 leaves either "1" (rounded up into a new
// leading digit) or no digit at all.
void round_digits(DecimalDigits& value, int keep) {
    if (value.count <= keep) return;
    const bool up = value.digits[keep] >= '5';
    value.count = keep;
    if (!up) return;
    int i = keep - 1;
    while (i >= 0 && value.digits[i] == '9') --i;
    if (i < 0) {
        value.digits[0] = '1';
        value.count = 1;
        ++value.exponent;
        return;
    }
    ++value.digits[i];
    value.count = i + 1;
}

}  // namespace

bool render_fixed(const DecimalDigits& digits, int w, int d, bool sign_plus, FieldText& out) {
    DecimalDigits value = digits;
    if (d < 0) d = 0;
    const bool zero_value = value.count == 1 && value.digits[0] == '0';
    if (zero_value) {
        value.count = 0;
        value.exponent = 0;
    } else {
        // Significant digits shown: those up to the d-th after the point.
        const long long shown = static_cast<long long>(value.exponent) + d;
        if (shown < 0) {
            value.count = 0;
        } else {
            round_digits(value, static_cast<int>(std::min<long long>(shown, real8_digit_cap)));
        }
    }
    const int x = value.count == 0 ? 0 : value.exponent;
    const bool negative = value.sign == '-' && value.count > 0;
    const int integer_digits = std::max(x, 0);
    const bool sign = negative || sign_plus;
    long long length = (sign ? 1 : 0) + integer_digits + 1 + static_cast<long long>(d);
    bool leading_zero = integer_digits == 0;
    if (leading_zero && length + 1 <= w) {
        ++length;
    } else {
        leading_zero = false;
    }
    if (length > field_capacity) return false;

    char* p = out.text;
    if (sign) *p++ = negative ? '-' : '+';
    if (leading_zero) *p++ = '0';
    auto digit_at = [&](long long index) {  // 0-based position in the digit string
        return (index >= 0 && index < value.count) ? value.digits[index] : '0';
    };
    for (int i = 0; i < integer_digits; ++i) *p++ = digit_at(i);
    *p++ = '.';
    for (int j = 0; j < d; ++j) *p++ = digit_at(static_cast<long long>(x) + j);
    out.length = static_cast<int>(p - out.text);
    return true;
}

}  // namespace io
