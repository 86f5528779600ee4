#pragma once
// An exact reference for numeric field editing: the decimal expansion of a
// double by big-integer arithmetic, the two roundings done digit by digit on
// strings, and the I, E, F, EN and list-directed layouts built from them;
// and the products, quotients and sums of doubles rounded by integer
// arithmetic alone. Slow and plain on purpose, so that it can judge the fast
// code.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace exact {

// A natural number in base 10^9, least significant limb first.
using Limbs = std::vector<std::uint32_t>;
inline constexpr std::uint64_t limb_base = 1000000000;

inline void multiply_small(Limbs& n, std::uint64_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : n) {
        const std::uint64_t t = limb * factor + carry;
        limb = static_cast<std::uint32_t>(t % limb_base);
        carry = t / limb_base;
    }
    while (carry != 0) {
        n.push_back(static_cast<std::uint32_t>(carry % limb_base));
        carry /= limb_base;
    }
}

// The leading digits (at least 20, padded with '0') of the exact decimal
// expansion of a finite non-zero magnitude, and x with value = 0.ddd... x 10^x.
struct Expansion {
    std::string leading;
    int exponent = 0;
};

inline Expansion exact_expansion(double magnitude) {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & 0x000FFFFFFFFFFFFFu;
    const std::uint64_t mantissa = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int binary_exponent = biased == 0 ? -1074 : biased - 1075;

    Limbs n;
    for (std::uint64_t m = mantissa; m != 0; m /= limb_base) n.push_back(static_cast<std::uint32_t>(m % limb_base));
    int decimal_shift = 0;
    if (binary_exponent >= 0) {
        for (int left = binary_exponent; left > 0; left -= 29) multiply_small(n, std::uint64_t{1} << std::min(left, 29));
    } else {
        // m x 2^-j = m x 5^j x 10^-j
        constexpr std::uint64_t five_13 = 1220703125;
        int left = -binary_exponent;
        for (; left >= 13; left -= 13) multiply_small(n, five_13);
        std::uint64_t rest = 1;
        for (; left > 0; --left) rest *= 5;
        multiply_small(n, rest);
        decimal_shift = binary_exponent;
    }

    Expansion x;
    x.leading = std::to_string(n.back());
    const int total = static_cast<int>(x.leading.size()) + 9 * static_cast<int>(n.size() - 1);
    for (std::size_t i = n.size() - 1; i-- > 0 && x.leading.size() < 20;) {
        char limb[16];
        std::snprintf(limb, sizeof limb, "%09u", static_cast<unsigned>(n[i]));
        x.leading += limb;
    }
    x.leading.resize(std::max<std::size_t>(x.leading.size(), 20), '0');
    x.exponent = total + decimal_shift;
    return x;
}

// Adds one in the last digit; false when the carry runs out of the first.
inline bool add_one(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return true;
        }
        digits[i] = '0';
    }
    return false;
}

inline const char* nonfinite_text(std::uint64_t bits) {
    const std::uint64_t fraction = bits & 0x000FFFFFFFFFFFFFu;
    if (fraction == 0) return "1#INF";
    if ((fraction >> 51) == 0) return "1#SNAN";
    if (bits == 0xFFF8000000000000u) return "1#IND";
    return "1#QNAN";
}

inline bool is_nonfinite(double value) {
    return ((std::bit_cast<std::uint64_t>(value) >> 52) & 0x7FF) == 0x7FF;
}

struct Conversion {
    char sign = ' ';
    std::string digits = "0";
    int exponent = 0;
    const char* nonfinite = nullptr;  // null for finite values
};

// 17 significant digits, the 18th digit of the exact value deciding (an
// exact tie rounds away from zero); trailing zeros removed.
inline Conversion conversion(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    Conversion c;
    c.sign = (bits >> 63) != 0 ? '-' : ' ';
    if (is_nonfinite(value)) {
        c.nonfinite = nonfinite_text(bits);
        return c;
    }
    if (value == 0.0) {
        c.sign = ' ';
        return c;
    }
    const Expansion x = exact_expansion(std::fabs(value));
    c.digits = x.leading.substr(0, 17);
    c.exponent = x.exponent;
    if (x.leading[17] >= '5' && !add_one(c.digits)) {
        c.digits = "1";
        ++c.exponent;
    }
    while (c.digits.size() > 1 && c.digits.back() == '0') c.digits.pop_back();
    return c;
}

inline bool is_zero(const Conversion& c) { return c.nonfinite == nullptr && c.digits == "0"; }

// The sign and all 17 digits, the trailing zeros too; " 0" for zero, the
// sign and the text of a non-finite value.
inline std::string conversion_text(const Conversion& c) {
    if (c.nonfinite != nullptr) return std::string(1, c.sign) + c.nonfinite;
    if (is_zero(c)) return " 0";
    return std::string(1, c.sign) + "0." + c.digits + std::string(17 - c.digits.size(), '0') + "E" +
           std::to_string(c.exponent);
}

// The 17-digit string cut to n >= 1 digits, the digit after the cut
// deciding; a carry out of the first digit gives "1" and x + 1.
inline Conversion round_to(Conversion c, int n) {
    if (static_cast<int>(c.digits.size()) <= n) return c;
    const bool up = c.digits[static_cast<std::size_t>(n)] >= '5';
    c.digits.resize(static_cast<std::size_t>(n));
    if (up && !add_one(c.digits)) {
        c.digits = "1";
        ++c.exponent;
    }
    if (!up && c.digits.find_first_not_of('0') == std::string::npos) c.sign = ' ';
    return c;
}

// The digit at position i (0-based) of a rounded string, '0' beyond it.
inline char digit_at(const Conversion& c, int i) {
    return i < static_cast<int>(c.digits.size()) ? c.digits[static_cast<std::size_t>(i)] : '0';
}

inline std::string digits_from(const Conversion& c, int from, int to) {
    std::string s;
    for (int i = from; i < to; ++i) s += digit_at(c, i);
    return s;
}

inline std::string sign_text(char sign, bool sign_plus) {
    if (sign == '-') return "-";
    return sign_plus ? "+" : "";
}

// The exponent part; nothing when it needs more digits than allowed.
inline std::optional<std::string> exponent_text(int value, int e) {
    const std::string magnitude = std::to_string(std::abs(value));
    const char sign = value < 0 ? '-' : '+';
    const int length = static_cast<int>(magnitude.size());
    if (e == 2) {
        if (length <= 2) return std::string("E") + sign + std::string(static_cast<std::size_t>(2 - length), '0') + magnitude;
        if (length == 3) return std::string(1, sign) + magnitude;
        return std::nullopt;
    }
    if (length > e) return std::nullopt;
    return std::string("E") + sign + std::string(static_cast<std::size_t>(e - length), '0') + magnitude;
}

inline std::string nonfinite_field(const char* text, int width) {
    std::string field(text);
    field.resize(static_cast<std::size_t>(std::max(width, 0)), '.');
    return field;
}

// Whether a scale factor has a layout in Ew.d: -d < k <= d + 1.
inline bool scale_has_layout(int d, int k) {
    return d >= 0 && static_cast<long long>(k) > -static_cast<long long>(d) &&
           static_cast<long long>(k) <= static_cast<long long>(d) + 1;
}

// kP,Ew.dEe before fitting, for -d < k <= d + 1. Nothing when the exponent
// does not fit its digits (the field is then all asterisks).
inline std::optional<std::string> exponent_form(double value, int cap, int w, int d, int e, int k, bool sign_plus) {
    const Conversion c = conversion(value);
    if (c.nonfinite != nullptr) return nonfinite_field(c.nonfinite, w);
    const int n = k > 0 ? d + 1 : d + k;
    const Conversion r = round_to(c, std::min(n, cap));
    std::string text = sign_text(r.sign, sign_plus);
    const int before = std::max(k, 0);
    text += digits_from(r, 0, before);
    text += '.';
    if (k < 0) text += std::string(static_cast<std::size_t>(-k), '0');
    text += digits_from(r, before, n);
    const auto exponent = exponent_text(is_zero(r) ? 0 : r.exponent - k, e);
    if (!exponent) return std::nullopt;
    return text + *exponent;
}

// The list-directed choice (k = 0 from the caller): the fixed form with x
// digits before the point when 0 < x < w - d - 1, else 1P,Ew.dEe.
inline std::optional<std::string> list_form(double value, int cap, int w, int d, int e, bool sign_plus) {
    const Conversion c = conversion(value);
    if (c.nonfinite != nullptr) return nonfinite_field(c.nonfinite, w - 2);
    const int x = c.exponent;
    if (x > 0 && static_cast<long long>(x) < static_cast<long long>(w) - d - 1) {
        const Conversion r = round_to(c, std::min(x + d, cap));
        // A carry into a new leading digit moves the point one place right.
        const int before = r.exponent;
        return sign_text(r.sign, sign_plus) + digits_from(r, 0, before) + "." + digits_from(r, before, before + d);
    }
    return exponent_form(value, cap, w, d, e, 1, sign_plus);
}

// Fw.d before fitting: the digits up to the d-th after the point, rounded
// there (cap digits at most); what rounds to nothing is zero, without a
// minus; a '0' before the point when no digit stands there and the field
// has room for it.
inline std::string fixed_form(double value, int cap, int w, int d, bool sign_plus) {
    const Conversion c = conversion(value);
    if (c.nonfinite != nullptr) return nonfinite_field(c.nonfinite, w);
    d = std::max(d, 0);
    const long long n = static_cast<long long>(c.exponent) + d;
    Conversion r;  // zero
    if (!is_zero(c) && n > 0) {
        r = round_to(c, static_cast<int>(std::min<long long>(n, cap)));
    } else if (!is_zero(c) && n == 0 && c.digits[0] >= '5') {
        r.sign = c.sign;
        r.digits = "1";
        r.exponent = c.exponent + 1;
    }
    if (r.digits.find_first_not_of('0') == std::string::npos) r = Conversion{};
    const int x = is_zero(r) ? 0 : r.exponent;
    const int before = std::max(x, 0);
    std::string text = sign_text(r.sign, sign_plus);
    if (before == 0 && static_cast<long long>(text.size()) + d + 2 <= w) text += '0';
    text += digits_from(r, 0, before) + ".";
    for (int j = 0; j < d; ++j) text += x + j < 0 ? '0' : digit_at(r, x + j);
    return text;
}

// ENw.dEe before fitting: the scale factor of 1 to 3 that makes the exponent
// a multiple of 3 (taken before the rounding), and d digits after the point.
inline std::optional<std::string> engineering_form(double value, int cap, int w, int d, int e, bool sign_plus) {
    const Conversion c = conversion(value);
    const int k = c.nonfinite != nullptr || is_zero(c) ? 1 : ((c.exponent - 1) % 3 + 3) % 3 + 1;
    return exponent_form(value, cap, w, d + k - 1, e, k, sign_plus);
}

// Iw.m before fitting.
inline std::string integer_text(std::int32_t value, int m, bool sign_plus) {
    const long long wide = value;
    const std::string digits = wide == 0 ? "" : std::to_string(wide < 0 ? -wide : wide);
    m = std::max(m, 0);
    std::string text;
    if (value < 0)
        text = "-";
    else if (sign_plus && (m > 0 || !digits.empty()))
        text = "+";
    if (static_cast<int>(digits.size()) < m) text += std::string(static_cast<std::size_t>(m) - digits.size(), '0');
    return text + digits;
}

// ---- Arithmetic on doubles, each result rounded once by integers ---------
// For finite operands and results in the normal range.

// v = (-1)^negative x m x 2^e, m below 2^53.
struct Scaled {
    bool negative;
    std::uint64_t m;
    int e;
};

inline Scaled scaled(double v) {
    int e = 0;
    const double fraction = std::frexp(std::fabs(v), &e);
    return {std::signbit(v), static_cast<std::uint64_t>(std::ldexp(fraction, 53)), e - 53};
}

// The double nearest to (-1)^negative x (high x 2^64 + low) x 2^e, ties to
// even; `sticky` stands for bits below `low` that are not all zero.
inline double nearest(bool negative, std::uint64_t high, std::uint64_t low, bool sticky, int e) {
    bool half = false;  // the last bit shifted out
    while (high != 0 || low >= (std::uint64_t{1} << 53)) {
        sticky = sticky || half;
        half = (low & 1) != 0;
        low = (low >> 1) | (high << 63);
        high >>= 1;
        ++e;
    }
    if (half && (sticky || (low & 1) != 0)) ++low;
    const double magnitude = std::ldexp(static_cast<double>(low), e);
    return negative ? -magnitude : magnitude;
}

inline double product(double a, double b) {
    const Scaled x = scaled(a);
    const Scaled y = scaled(b);
    constexpr std::uint64_t low_32 = 0xFFFFFFFFu;
    const std::uint64_t ll = (x.m & low_32) * (y.m & low_32);
    const std::uint64_t lh = (x.m & low_32) * (y.m >> 32);
    const std::uint64_t hl = (x.m >> 32) * (y.m & low_32);
    const std::uint64_t middle = (ll >> 32) + (lh & low_32) + (hl & low_32);
    const std::uint64_t high = (x.m >> 32) * (y.m >> 32) + (lh >> 32) + (hl >> 32) + (middle >> 32);
    return nearest(x.negative != y.negative, high, (middle << 32) | (ll & low_32), false, x.e + y.e);
}

// b is not zero.
inline double quotient(double a, double b) {
    const Scaled x = scaled(a);
    const Scaled y = scaled(b);
    std::uint64_t remainder = x.m % y.m;
    std::uint64_t low = 0;  // 64 bits of the quotient after its integer part
    for (int i = 0; i < 64; ++i) {
        remainder <<= 1;
        low <<= 1;
        if (remainder >= y.m) {
            remainder -= y.m;
            low |= 1;
        }
    }
    return nearest(x.negative != y.negative, x.m / y.m, low, remainder != 0, x.e - y.e - 64);
}

inline double sum(double a, double b) {
    Scaled x = scaled(a);
    Scaled y = scaled(b);
    if (x.m == 0) return b;
    if (y.m == 0) return a;
    if (x.e < y.e) {  // x has the larger exponent
        std::swap(x, y);
        std::swap(a, b);
    }
    // Beyond 54 places the smaller one is less than a quarter of the
    // larger's last place, so the sum rounds to the larger.
    if (x.e - y.e > 54) return a;
    const int shift = x.e - y.e;
    std::uint64_t high = shift == 0 ? 0 : x.m >> (64 - shift);
    std::uint64_t low = x.m << shift;
    bool negative = x.negative;
    if (x.negative == y.negative) {
        low += y.m;
        high += low < y.m ? 1 : 0;
    } else if (high != 0 || low >= y.m) {
        high -= low < y.m ? 1 : 0;
        low -= y.m;
    } else {
        low = y.m - low;
        negative = y.negative;
    }
    return nearest(negative && (high != 0 || low != 0), high, low, false, y.e);
}

// w columns: the text right-justified, or w asterisks when it is longer.
inline std::string fitted(const std::optional<std::string>& text, int w) {
    const std::size_t width = static_cast<std::size_t>(std::max(w, 0));
    if (!text || text->size() > width) return std::string(width, '*');
    return std::string(width - text->size(), ' ') + *text;
}

}  // namespace exact
