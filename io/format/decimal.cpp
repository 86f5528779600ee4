#include "io/format/decimal.hpp"
#include "io/format/scientific_text.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace io {
namespace {

static_assert(real8_cap < conversion_digits && real4_cap < real8_cap,
              "the digit after the cut is always one of the converted digits");
static_assert(conversion_digits < shown_buffer);

constexpr std::uint64_t sign_bit = 0x8000000000000000u;
constexpr std::uint64_t exponent_mask = 0x7FF0000000000000u;
constexpr std::uint64_t fraction_mask = 0x000FFFFFFFFFFFFFu;
constexpr std::uint64_t hidden_bit = 0x0010000000000000u;
constexpr std::uint64_t quiet_bit = 0x0008000000000000u;
constexpr std::uint64_t default_indefinite = 0xFFF8000000000000u;

const char* text_of_nonfinite(std::uint64_t bits) {
    const std::uint64_t fraction = bits & fraction_mask;
    if (fraction == 0) return "1#INF";
    if ((fraction & quiet_bit) == 0) return "1#SNAN";
    if (bits == default_indefinite) return "1#IND";
    return "1#QNAN";
}

// Adds one unit in the last of `count` digits. Returns false when the carry
// runs out of the first digit (the digits are then all '0').
bool increment_digits(char* digits, int count) {
    for (int i = count - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return true;
        }
        digits[i] = '0';
    }
    return false;
}

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

// The correctly rounded conversion of the library, with exact digits for
// the values that may be ties.
[[gnu::noinline]] int convert_by_library(double magnitude, std::uint64_t bits, char* digits) {
    constexpr int correct_precision = conversion_digits - 1;
    constexpr int exact_precision = 33;
    char buf[exact_precision + 16];
    const int precision = may_be_exact_tie(bits) ? exact_precision : correct_precision;
    const char* end = scientific_text(buf, buf + sizeof buf, magnitude, precision);
    // buf: d '.' digits 'e' sign exponent
    digits[0] = buf[0];
    std::memcpy(digits + 1, buf + 2, conversion_digits - 1);
    int exponent = parse_exponent(buf + precision + 3, end) + 1;
    if (precision == exact_precision && buf[conversion_digits + 1] >= '5' &&
        !increment_digits(digits, conversion_digits)) {
        digits[0] = '1';
        ++exponent;
    }
    return exponent;
}

// Powers of ten to 128 bits: (high 2^64 + low) 2^exponent, with the top bit
// of high set, is at most 10^q and short of it by less than 2^-126 of it.
// They are built by repeated multiplication and division by ten in 256 bits,
// each step cutting off less than 2^-250 of the value, then cut to 128 bits.
// 128-bit unsigned arithmetic on two 64-bit halves, the same on 32-bit and
// 64-bit targets.
struct Wide {
    std::uint64_t high;
    std::uint64_t low;
};

constexpr std::uint64_t low_32 = 0xFFFF'FFFFu;

// The full product of two 64-bit numbers. A compiler with a 128-bit type
// takes it in one multiplication; the halves give the same bits.
constexpr Wide multiply(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
    __extension__ typedef unsigned __int128 product;
    const product p = static_cast<product>(a) * b;
    return {static_cast<std::uint64_t>(p >> 64), static_cast<std::uint64_t>(p)};
#else
    const std::uint64_t lo_lo = (a & low_32) * (b & low_32);
    const std::uint64_t hi_lo = (a >> 32) * (b & low_32);
    const std::uint64_t lo_hi = (a & low_32) * (b >> 32);
    const std::uint64_t hi_hi = (a >> 32) * (b >> 32);
    const std::uint64_t cross = (lo_lo >> 32) + (hi_lo & low_32) + lo_hi;  // cannot wrap
    return {hi_hi + (hi_lo >> 32) + (cross >> 32), (cross << 32) | (lo_lo & low_32)};
#endif
}

constexpr Wide add(Wide a, std::uint64_t b) {
    const std::uint64_t low = a.low + b;
    return {a.high + (low < b ? 1 : 0), low};
}

// Shifts by 0 to 127 places.
constexpr Wide shift_right(Wide v, int s) {
    if (s == 0) return v;
    if (s >= 64) return {0, v.high >> (s - 64)};
    return {v.high >> s, (v.low >> s) | (v.high << (64 - s))};
}

constexpr Wide shift_left(Wide v, int s) {
    if (s == 0) return v;
    if (s >= 64) return {v.low << (s - 64), 0};
    return {(v.high << s) | (v.low >> (64 - s)), v.low << s};
}

// (remainder x 2^64 + w) / 10 for a remainder below 10, in 32-bit steps.
struct TenthAndRest {
    std::uint64_t quotient;
    std::uint64_t remainder;
};

constexpr TenthAndRest divide_by_ten(std::uint64_t remainder, std::uint64_t w) {
    const std::uint64_t upper = (remainder << 32) | (w >> 32);
    const std::uint64_t lower = ((upper % 10) << 32) | (w & low_32);
    return {((upper / 10) << 32) | (lower / 10), lower % 10};
}

struct PowerOfTen {
    std::uint64_t high;
    std::uint64_t low;
    int exponent;
};

constexpr int min_power = -300;
constexpr int max_power = 350;

constexpr std::array<PowerOfTen, max_power - min_power + 1> powers_of_ten = [] {
    std::array<PowerOfTen, max_power - min_power + 1> table{};
    std::uint64_t w[4] = {std::uint64_t{1} << 63, 0, 0, 0};  // 1 = w x 2^-255
    int exponent = -255;
    for (int q = 0; q <= max_power; ++q) {
        table[static_cast<std::size_t>(q - min_power)] = {w[0], w[1], exponent + 128};
        std::uint64_t carry = 0;
        for (int i = 3; i >= 0; --i) {
            const Wide t = add(multiply(w[i], 10), carry);
            w[i] = t.low;
            carry = t.high;
        }
        const int s = std::bit_width(carry);  // 3 or 4
        for (int i = 3; i > 0; --i) w[i] = (w[i - 1] << (64 - s)) | (w[i] >> s);
        w[0] = (carry << (64 - s)) | (w[0] >> s);
        exponent += s;
    }
    w[0] = std::uint64_t{1} << 63;
    w[1] = w[2] = w[3] = 0;
    exponent = -255;
    for (int q = -1; q >= min_power; --q) {
        std::uint64_t remainder = 0;
        for (int i = 0; i < 4; ++i) {
            const TenthAndRest step = divide_by_ten(remainder, w[i]);
            w[i] = step.quotient;
            remainder = step.remainder;
        }
        const int s = std::countl_zero(w[0]);  // 3 or 4
        for (int i = 0; i < 3; ++i) w[i] = (w[i] << s) | (w[i + 1] >> (64 - s));
        w[3] <<= s;
        exponent -= s;
        table[static_cast<std::size_t>(q - min_power)] = {w[0], w[1], exponent + 128};
    }
    return table;
}();

constexpr std::uint64_t ten_16 = 10000000000000000u;
constexpr std::uint64_t ten_17 = 100000000000000000u;

// The 17-digit rounding of a finite non-zero value, read off the product of
// its mantissa and a 128-bit power of ten. The product falls short of the
// true value by less than 2^-60 of a unit in its last integer digit, so the
// rounding decision is exact unless the value lies within 2^-40 of that unit
// of the rounding boundary. There (every exact tie among them) it returns
// false and the caller takes the exact path.
[[gnu::always_inline]] inline bool convert_by_table(std::uint64_t bits, std::uint64_t& rounded, int& x) {
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
    x = estimate + (eighteen ? 1 : 0);
    if (whole == ten_17) {
        whole = ten_16;
        ++x;
    }
    rounded = whole;
    return true;
}

constexpr std::uint64_t powers_of_ten_64[] = {
    1u,
    10u,
    100u,
    1000u,
    10000u,
    100000u,
    1000000u,
    10000000u,
    100000000u,
    1000000000u,
    10000000000u,
    100000000000u,
    1000000000000u,
    10000000000000u,
    100000000000000u,
    1000000000000000u,
    10000000000000000u,
    100000000000000000u,
};

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

[[gnu::always_inline]] inline void write_8_digits(std::uint32_t v, char* out) {
    const std::uint64_t digits = eight_digits(v);
    std::memcpy(out, &digits, 8);
}

// The 17 digits of a number below 10^17, with leading zeros.
[[gnu::always_inline]] inline void write_17_digits(std::uint64_t v, char* out) {
    const std::uint64_t high = v / 100000000;  // 9 digits
    out[0] = static_cast<char>('0' + high / 100000000);
    write_8_digits(static_cast<std::uint32_t>(high % 100000000), out + 1);
    write_8_digits(static_cast<std::uint32_t>(v % 100000000), out + 9);
}

std::uint64_t parse_17_digits(const char* digits) {
    std::uint64_t v = 0;
    for (int i = 0; i < conversion_digits; ++i) v = v * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    return v;
}

// The 17-digit rounding of a finite non-zero magnitude, as a number in
// [10^16, 10^17), and its exponent x.
struct Converted {
    std::uint64_t digits;
    int exponent;
};

[[gnu::always_inline]] inline Converted convert_magnitude(double magnitude, std::uint64_t bits) {
    Converted c;
    if (convert_by_table(bits, c.digits, c.exponent)) return c;
    char text[conversion_digits];
    c.exponent = convert_by_library(magnitude, bits, text);
    c.digits = parse_17_digits(text);
    return c;
}

struct Divided {
    std::uint64_t quotient;
    std::uint64_t remainder;
};

template <int places>
Divided divide_by(std::uint64_t v) {
    constexpr std::uint64_t unit = powers_of_ten_64[places];
    return {v / unit, v % unit};
}

// v / 10^places, 1 <= places <= 17, by constant divisors: multiplications
// instead of a division.
Divided divide_by_power_of_ten(std::uint64_t v, int places) {
    if (places == 1) return divide_by<1>(v);  // 17 digits to the 16 of an 8-byte real
    switch (places) {
        case 1: return divide_by<1>(v);
        case 2: return divide_by<2>(v);
        case 3: return divide_by<3>(v);
        case 4: return divide_by<4>(v);
        case 5: return divide_by<5>(v);
        case 6: return divide_by<6>(v);
        case 7: return divide_by<7>(v);
        case 8: return divide_by<8>(v);
        case 9: return divide_by<9>(v);
        case 10: return divide_by<10>(v);
        case 11: return divide_by<11>(v);
        case 12: return divide_by<12>(v);
        case 13: return divide_by<13>(v);
        case 14: return divide_by<14>(v);
        case 15: return divide_by<15>(v);
        case 16: return divide_by<16>(v);
        default: return divide_by<17>(v);
    }
}

void make_zero(ShownDigits& s) {
    s.sign = ' ';
    s.zero = true;
    s.exponent = 0;
    s.count = 0;
    s.value = 0;
}

// The `count` digits of `s.value` as text, then '0' up to `shown_padded`.
// After the rounding (to the cap at most) there are 16 digits at most.
[[gnu::always_inline]] inline void write_shown_text(ShownDigits& s) {
    static_assert(real8_cap <= 16);
    char text[16 + shown_padded];
    const std::uint64_t low = eight_digits(static_cast<std::uint32_t>(s.value % 100000000));
    std::memcpy(text + 8, &low, 8);
    if (s.count > 8) {
        const std::uint64_t high = eight_digits(static_cast<std::uint32_t>(s.value / 100000000));
        std::memcpy(text, &high, 8);
    }
    std::memset(text + 16, '0', shown_padded);
    std::memcpy(s.digits, text + 16 - s.count, shown_padded);
}

}  // namespace

DecimalDigits to_decimal_digits(double value) {
    DecimalDigits dd;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    dd.sign = (bits & sign_bit) != 0 ? '-' : ' ';

    if ((bits & exponent_mask) == exponent_mask) {
        const char* text = text_of_nonfinite(bits);
        dd.finite = false;
        dd.nonfinite_text = text;
        dd.count = static_cast<int>(std::strlen(text));
        std::memcpy(dd.digits, text, static_cast<std::size_t>(dd.count));
        return dd;
    }
    if ((bits & ~sign_bit) == 0) {
        dd.sign = ' ';
        return dd;  // digits "0", exponent 0
    }

    const Converted c = convert_magnitude(std::fabs(value), bits);
    write_17_digits(c.digits, dd.digits);
    dd.exponent = c.exponent;
    int count = conversion_digits;
    while (count > 1 && dd.digits[count - 1] == '0') --count;
    dd.count = count;
    return dd;
}

const char* nonfinite_text(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return (bits & exponent_mask) == exponent_mask ? text_of_nonfinite(bits) : nullptr;
}

ShownDigits shown_digits(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    ShownDigits s;
    if ((bits & ~sign_bit) == 0) {
        make_zero(s);
        return s;
    }
    const Converted c = convert_magnitude(std::fabs(value), bits);
    s.sign = (bits & sign_bit) != 0 ? '-' : ' ';
    s.zero = false;
    s.exponent = c.exponent;
    s.count = conversion_digits;
    s.value = c.digits;
    return s;
}

void round_to_shown(ShownDigits& s, long long n, RealKind kind) {
    n = std::min<long long>(n, digit_cap(kind));
    // Nothing is left of a zero, of n < 0, and of n = 0 when the first digit
    // is below 5.
    if (s.zero || n < 0 || (n == 0 && s.value < 5 * powers_of_ten_64[s.count - 1])) {
        make_zero(s);
        std::memset(s.digits, '0', shown_padded);
        return;
    }
    if (n == 0) {
        s.value = 1;  // one position above the first digit
        s.count = 1;
        ++s.exponent;
    } else if (n < s.count) {
        const auto cut = static_cast<int>(n);
        const Divided divided = divide_by_power_of_ten(s.value, s.count - cut);
        std::uint64_t kept = divided.quotient;
        if (divided.remainder >= powers_of_ten_64[s.count - cut] / 2) ++kept;  // the digit after the cut is 5 or more
        if (kept == powers_of_ten_64[cut]) {     // the carry ran out of the first digit
            kept = powers_of_ten_64[cut - 1];
            ++s.exponent;
        }
        s.value = kept;
        s.count = cut;
    }
    write_shown_text(s);
}

}  // namespace io
