#include "io/format/decimal.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "io/format/powers_of_ten.hpp"
#include "io/format/scientific_text.hpp"
#include "io/format/wide.hpp"

namespace io {
namespace {

using namespace wide;

static_assert(real8_cap < conversion_digits && real4_cap < real8_cap,
              "the digit after the cut is always one of the converted digits");
static_assert(conversion_digits < shown_padded);

constexpr std::uint64_t sign_bit = 0x8000000000000000u;
constexpr std::uint64_t exponent_mask = 0x7FF0000000000000u;
constexpr std::uint64_t fraction_mask = 0x000FFFFFFFFFFFFFu;
constexpr std::uint64_t hidden_bit = 0x0010000000000000u;

// ---- The library's conversion, for the values the table leaves -------------

// The exponent of a scientific text, from its sign character to `end`.
int parse_exponent(const char* p, const char* end) {
    const bool negative = *p == '-';
    int value = 0;
    for (++p; p < end; ++p) value = value * 10 + (*p - '0');
    return negative ? -value : value;
}

// Rounding to 17 digits by the 18th exact digit is rounding half away from
// zero: that digit is '5' or more exactly when the value lies at or above the
// midpoint between its two 17-digit neighbours. Correct rounding (half to
// even) to 17 digits therefore gives the same digits except on an exact tie,
// a value of exactly 18 significant digits ending in 5. A finite double is
// M x 2^E with M odd and below 2^53. For E >= 0 it is an integer, odd only
// when E = 0, and then below 10^16. For E = -j it is M x 5^j / 10^j with
// M x 5^j significant digits, which reach exactly 18 only if 5^j < 10^18,
// j <= 25. Such a value has at most 34 significant digits
// (2^53 x 5^25 < 10^34), so a 34-digit conversion of it is exact.
constexpr int max_tie_shift = 25;

constexpr std::array<double, max_tie_shift + 1> powers_of_five = [] {
    std::array<double, max_tie_shift + 1> p{};
    double v = 1.0;
    for (double& x : p) {
        x = v;
        v *= 5.0;
    }
    return p;
}();

bool may_be_exact_tie(std::uint64_t bits) {
    const int biased = static_cast<int>((bits & exponent_mask) >> 52);
    const std::uint64_t fraction = bits & fraction_mask;
    const std::uint64_t mantissa = biased == 0 ? fraction : fraction | hidden_bit;
    const int zeros = std::countr_zero(mantissa);
    const int exponent = (biased == 0 ? -1074 : biased - 1075) + zeros;
    if (exponent < -max_tie_shift || exponent > -1) return false;
    // The significant digits M x 5^j, within a fraction of a percent: only
    // 18 of them can make a tie.
    const double significant = static_cast<double>(mantissa >> zeros) * powers_of_five[-exponent];
    return significant > 0.99e17 && significant < 1.01e18;
}

// The 17 digits of the text as a number: its first digit, then those after
// the point.
std::uint64_t digits_of_text(const char* text) {
    std::uint64_t v = static_cast<std::uint64_t>(text[0] - '0');
    for (int i = 2; i <= conversion_digits; ++i) v = v * 10 + static_cast<std::uint64_t>(text[i] - '0');
    return v;
}

// The 17-digit rounding of a finite non-zero magnitude, as a number in
// [10^16, 10^17), and its exponent x.
struct Converted {
    std::uint64_t digits;
    int exponent;
};

// The correctly rounded conversion of the library, with exact digits for
// the values that may be ties.
[[gnu::noinline]] Converted convert_by_library(double magnitude, std::uint64_t bits) {
    constexpr int correct_precision = conversion_digits - 1;
    constexpr int exact_precision = 33;
    char text[exact_precision + 16];
    const int precision = may_be_exact_tie(bits) ? exact_precision : correct_precision;
    const char* end = scientific_text(text, text + sizeof text, magnitude, precision);
    // text: d '.' digits 'e' sign exponent
    Converted c{digits_of_text(text), parse_exponent(text + precision + 3, end) + 1};
    if (precision == exact_precision && text[conversion_digits + 1] >= '5') {
        ++c.digits;
        if (c.digits == powers_of_ten_64[conversion_digits]) {  // the carry ran out of the first digit
            c.digits = powers_of_ten_64[conversion_digits - 1];
            ++c.exponent;
        }
    }
    return c;
}

// ---- The conversion by the table of powers of ten ---------------------------

constexpr std::uint64_t ten_16 = 10000000000000000u;
constexpr std::uint64_t ten_17 = 100000000000000000u;

// The 17-digit rounding of a finite non-zero value, read off the product of
// its mantissa and a 128-bit power of ten. The product falls short of the
// true value by less than 2^-60 of a unit in its last integer digit, so the
// rounding decision is exact unless the value lies within 2^-40 of that unit
// of the rounding boundary. There (every exact tie among them) it returns
// false and the caller takes the exact path.
[[gnu::always_inline]] inline bool convert_by_table(std::uint64_t bits, Converted& c) {
    const int biased = static_cast<int>((bits & exponent_mask) >> 52);
    const std::uint64_t fraction = bits & fraction_mask;
    std::uint64_t m = biased == 0 ? fraction : fraction | hidden_bit;
    int e = biased == 0 ? -1074 : biased - 1075;
    const int zeros = std::countl_zero(m);
    m <<= zeros;
    e -= zeros;  // value = m x 2^e, 2^63 <= m < 2^64

    // floor(log10(2^(e+63))) + 1: x, or x - 1
    const int estimate = (((e + 63) * 78913) >> 18) + 1;
    const PowerOfTen& p = powers_of_ten[static_cast<std::size_t>(17 - estimate - min_power)];
    const Wide top = add(multiply(m, p.high), multiply(m, p.low).high);
    // value x 10^(17 - estimate) = top x 2^-shift, in [10^16, 2 x 10^17)
    const int shift = -(e + p.exponent + 64);
    if (shift < 64 || shift > 127) return false;
    std::uint64_t whole = shift_right(top, shift).low;
    const std::uint64_t part = shift_left(top, 128 - shift).high;

    constexpr std::uint64_t band = std::uint64_t{1} << 24;
    constexpr std::uint64_t half = std::uint64_t{1} << 63;
    const bool eighteen = whole >= ten_17;
    const std::uint64_t last = whole % 10;
    const bool unsure = eighteen ? (last == 5 && part < band) || (last == 4 && part > ~band)
                                 : part - (half - band) < 2 * band;
    if (unsure) return false;
    const std::uint64_t up = eighteen ? (last >= 5 ? 1 : 0) : (part >= half ? 1 : 0);
    whole = (eighteen ? whole / 10 : whole) + up;
    c.exponent = estimate + (eighteen ? 1 : 0);
    if (whole == ten_17) {
        whole = ten_16;
        ++c.exponent;
    }
    c.digits = whole;
    return true;
}

[[gnu::always_inline]] inline Converted convert_magnitude(double magnitude, std::uint64_t bits) {
    Converted c;
    if (convert_by_table(bits, c)) return c;
    return convert_by_library(magnitude, bits);
}

// ---- The digits shown ---------------------------------------------------------

constexpr std::uint64_t all_zero_digits = 0x3030303030303030u;  // "00000000"

// The eight decimal digits of v < 10^8 as eight characters, the first digit
// in the lowest byte: both halves of four digits at once, split into pairs
// of two digits, then into single digits, in the lanes of one word.
[[gnu::always_inline]] inline std::uint64_t eight_digits(std::uint32_t v) {
    constexpr std::uint64_t pair_lanes = (std::uint64_t{0x7F} << 32) | 0x7F;
    constexpr std::uint64_t digit_lanes =
        (std::uint64_t{0xF} << 48) | (std::uint64_t{0xF} << 32) | (std::uint64_t{0xF} << 16) | 0xF;
    const std::uint64_t halves = (v / 10000) | (static_cast<std::uint64_t>(v % 10000) << 32);
    const std::uint64_t high_pairs = ((halves * 10486) >> 20) & pair_lanes;  // each half / 100
    const std::uint64_t pairs = ((halves - 100 * high_pairs) << 16) + high_pairs;
    std::uint64_t digits = ((pairs * 103) >> 10) & digit_lanes;  // each pair / 10
    digits += (pairs - 10 * digits) << 8;
    digits += all_zero_digits;  // '0' in every byte
    if constexpr (std::endian::native == std::endian::big) digits = __builtin_bswap64(digits);
    return digits;
}

struct Divided {
    std::uint64_t quotient;
    std::uint64_t remainder;
};

// floor(2^64 / 10^p) for 1 <= p <= 17.
constexpr std::array<std::uint64_t, conversion_digits + 1> reciprocals_of_ten = [] {
    std::array<std::uint64_t, conversion_digits + 1> r{};
    for (int p = 1; p <= conversion_digits; ++p) r[static_cast<std::size_t>(p)] = ~std::uint64_t{0} / powers_of_ten_64[p];
    return r;
}();

// v / 10^places, 1 <= places <= 17, by a multiplication instead of a
// division: with r = floor(2^64 / 10^p), the high half of v x r falls
// short of the quotient by less than v / 2^64 + v / 10^p x 2^-64 x 10^p,
// below 1, so it is the quotient or one less.
Divided divide_by_power_of_ten(std::uint64_t v, int places) {
    const std::uint64_t unit = powers_of_ten_64[places];
    Divided d{wide::multiply(v, reciprocals_of_ten[static_cast<std::size_t>(places)]).high, 0};
    d.remainder = v - d.quotient * unit;
    if (d.remainder >= unit) {
        ++d.quotient;
        d.remainder -= unit;
    }
    return d;
}

// The `count` digits of `value` as text, then '0' up to `shown_padded`.
// After the rounding (to the cap at most) there are 16 digits at most.
[[gnu::always_inline]] inline void write_shown_text(std::uint64_t value, int count, char* digits) {
    static_assert(real8_cap <= 16);
    char text[16 + shown_padded];
    const std::uint64_t low = eight_digits(static_cast<std::uint32_t>(value % 100000000));
    std::memcpy(text + 8, &low, 8);
    if (count > 8) {
        const std::uint64_t high = eight_digits(static_cast<std::uint32_t>(value / 100000000));
        std::memcpy(text, &high, 8);
    }
    std::memset(text + 16, '0', shown_padded);
    std::memcpy(digits, text + 16 - count, shown_padded);
}

}  // namespace

Decimal to_decimal(double finite_value) {
    const auto bits = std::bit_cast<std::uint64_t>(finite_value);
    if ((bits & ~sign_bit) == 0) return Decimal{' ', true, 0, 0, 0};
    const Converted c = convert_magnitude(std::fabs(finite_value), bits);
    return Decimal{(bits & sign_bit) != 0 ? '-' : ' ', false, c.exponent, conversion_digits, c.digits};
}

ShownDigits round_to_shown(const Decimal& converted, long long n, RealKind kind) {
    n = std::min<long long>(n, digit_cap(kind));
    ShownDigits s;
    // Nothing is left of a zero, of n < 0, and of n = 0 when the first digit
    // is below 5.
    if (converted.zero || n < 0 ||
        (n == 0 && converted.value < 5 * powers_of_ten_64[converted.count - 1])) {
        s.sign = ' ';
        s.zero = true;
        s.exponent = 0;
        s.count = 0;
        std::memset(s.digits, '0', shown_padded);
        return s;
    }
    s.sign = converted.sign;
    s.zero = false;
    s.exponent = converted.exponent;
    std::uint64_t kept = converted.value;
    int count = converted.count;
    if (n == 0) {
        kept = 1;  // one position above the first digit
        count = 1;
        ++s.exponent;
    } else if (n < count) {
        const auto cut = static_cast<int>(n);
        const Divided divided = divide_by_power_of_ten(kept, count - cut);
        kept = divided.quotient;
        if (divided.remainder >= powers_of_ten_64[count - cut] / 2) ++kept;  // the digit after the cut is 5 or more
        if (kept == powers_of_ten_64[cut]) {  // the carry ran out of the first digit
            kept = powers_of_ten_64[cut - 1];
            ++s.exponent;
        }
        count = cut;
    }
    s.count = count;
    write_shown_text(kept, count, s.digits);
    return s;
}

}  // namespace io
