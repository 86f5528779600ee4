#include "io/format/edit.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace io {
namespace {

constexpr int conversion_digits = 17;
constexpr int real8_cap = 16;
constexpr int real4_cap = 7;

constexpr std::uint64_t sign_bit = 0x8000000000000000u;
constexpr std::uint64_t exponent_mask = 0x7FF0000000000000u;
constexpr std::uint64_t fraction_mask = 0x000FFFFFFFFFFFFFu;
constexpr std::uint64_t hidden_bit = 0x0010000000000000u;
constexpr std::uint64_t quiet_bit = 0x0008000000000000u;
constexpr std::uint64_t default_indefinite = 0xFFF8000000000000u;

constexpr std::array<char, field_capacity> asterisk_run = [] {
    std::array<char, field_capacity> run{};
    run.fill('*');
    return run;
}();

// ---- Decimal conversion ---------------------------------------------------

const char* nonfinite_text(std::uint64_t bits) {
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
int convert_by_library(double magnitude, std::uint64_t bits, char* digits) {
    constexpr int correct_precision = conversion_digits - 1;
    constexpr int exact_precision = 33;
    char buf[exact_precision + 16];
    const int precision = may_be_exact_tie(bits) ? exact_precision : correct_precision;
    const auto result = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, precision);
    // buf: d '.' digits 'e' sign exponent
    digits[0] = buf[0];
    std::memcpy(digits + 1, buf + 2, conversion_digits - 1);
    int exponent = parse_exponent(buf + precision + 3, result.ptr) + 1;
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
__extension__ typedef unsigned __int128 uint128;

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
            const uint128 t = static_cast<uint128>(w[i]) * 10 + carry;
            w[i] = static_cast<std::uint64_t>(t);
            carry = static_cast<std::uint64_t>(t >> 64);
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
            const uint128 current = (static_cast<uint128>(remainder) << 64) | w[i];
            w[i] = static_cast<std::uint64_t>(current / 10);
            remainder = static_cast<std::uint64_t>(current % 10);
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
bool convert_by_table(std::uint64_t bits, std::uint64_t& rounded, int& x) {
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
    const uint128 top = static_cast<uint128>(m) * p.high + ((static_cast<uint128>(m) * p.low) >> 64);
    // value x 10^(17 - estimate) = top x 2^-shift, in [10^16, 2 x 10^17)
    const int shift = -(e + p.exponent + 64);
    if (shift < 64 || shift > 127) return false;
    std::uint64_t whole = static_cast<std::uint64_t>(top >> shift);
    const std::uint64_t part = static_cast<std::uint64_t>((top << (128 - shift)) >> 64);

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

constexpr std::array<char, 200> digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

void write_4_digits(std::uint32_t v, char* out) {
    std::memcpy(out, digit_pairs.data() + 2 * (v / 100), 2);
    std::memcpy(out + 2, digit_pairs.data() + 2 * (v % 100), 2);
}

void write_8_digits(std::uint32_t v, char* out) {
    write_4_digits(v / 10000, out);
    write_4_digits(v % 10000, out + 4);
}

// The 17 digits of a number in [10^16, 10^17).
void write_17_digits(std::uint64_t v, char* out) {
    const std::uint64_t high = v / 100000000;  // 9 digits
    out[0] = static_cast<char>('0' + high / 100000000);
    write_8_digits(static_cast<std::uint32_t>(high % 100000000), out + 1);
    write_8_digits(static_cast<std::uint32_t>(v % 100000000), out + 9);
}

// Writes the 17 digits (before the removal of trailing zeros) of a finite
// non-zero magnitude; returns its exponent x.
int convert_magnitude(double magnitude, std::uint64_t bits, char* digits) {
    std::uint64_t rounded;
    int x;
    if (convert_by_table(bits, rounded, x)) {
        write_17_digits(rounded, digits);
        return x;
    }
    return convert_by_library(magnitude, bits, digits);
}

// ---- Rounding to the digits shown -----------------------------------------

// The digits of a finite value as the layout reads them: the converted
// digits, rounded to the digits shown, followed by '0' in every position up
// to the size of the buffer.
constexpr int shown_buffer = 64;

struct ShownDigits {
    char sign;
    char digits[shown_buffer];
    int exponent;  // x, after the rounding
    bool zero;
};

ShownDigits convert_for_edit(double value, std::uint64_t bits) {
    ShownDigits s;
    s.sign = (bits & sign_bit) != 0 ? '-' : ' ';
    s.zero = (bits & ~sign_bit) == 0;
    std::memset(s.digits, '0', shown_buffer);
    if (s.zero) {
        s.sign = ' ';
        s.exponent = 0;
    } else {
        s.exponent = convert_magnitude(std::fabs(value), bits, s.digits);
    }
    return s;
}

// Cuts the digit string to n digits, the digit after the cut deciding.
void round_to_shown(ShownDigits& s, int n) {
    if (n >= conversion_digits) return;
    if (n <= 0) {
        const bool up = s.digits[0] >= '5';
        std::memset(s.digits, '0', conversion_digits);
        if (up) {
            s.digits[0] = '1';
            ++s.exponent;
        } else {
            s.sign = ' ';  // every kept digit is '0'
        }
        return;
    }
    const int up = s.digits[n] >= '5' ? 1 : 0;
    std::memset(s.digits + n, '0', static_cast<std::size_t>(conversion_digits - n));
    s.digits[n - 1] = static_cast<char>(s.digits[n - 1] + up);
    for (int i = n - 1; i > 0 && s.digits[i] > '9'; --i) {
        s.digits[i] = '0';
        ++s.digits[i - 1];
    }
    if (s.digits[0] > '9') {
        s.digits[0] = '1';
        ++s.exponent;
    }
}

// ---- Writing ----------------------------------------------------------------

// Writes where the whole text is known to fit.
struct DirectWriter {
    char* p;

    void put(char c) { *p++ = c; }
    void put_if(char c, bool wanted) {
        *p = c;
        p += wanted ? 1 : 0;
    }
    void put_run(char c, int count) {
        std::memset(p, c, static_cast<std::size_t>(count));
        p += count;
    }
    void put_text(const char* text, int count) {
        std::memcpy(p, text, static_cast<std::size_t>(count));
        p += count;
    }
};

// Writes up to the capacity of a field text and drops the rest.
struct BoundedWriter {
    FieldText& out;

    void put(char c) {
        if (out.length < field_capacity) out.text[out.length++] = c;
    }
    void put_if(char c, bool wanted) {
        if (wanted) put(c);
    }
    void put_run(char c, int count) {
        const int n = std::clamp(count, 0, field_capacity - out.length);
        std::memset(out.text + out.length, c, static_cast<std::size_t>(n));
        out.length += n;
    }
    void put_text(const char* text, int count) {
        const int n = std::clamp(count, 0, field_capacity - out.length);
        std::memcpy(out.text + out.length, text, static_cast<std::size_t>(n));
        out.length += n;
    }
};

// Positions [from, to) of the shown digits.
template <class Writer>
void put_digits(const ShownDigits& s, int from, int to, Writer& w) {
    if (to <= from) return;
    const int buffered = std::clamp(shown_buffer - from, 0, to - from);
    w.put_text(s.digits + std::min(from, shown_buffer), buffered);
    w.put_run('0', to - from - buffered);
}

template <class Writer>
void put_sign(char sign, bool sign_plus, Writer& w) {
    const bool negative = sign == '-';
    w.put_if(negative ? '-' : '+', negative || sign_plus);
}

// Decimal digits of an exponent magnitude (below 10^5: the exponent of a
// double is below 400 and scale factors are limited to the field capacity).
struct ExponentDigits {
    char digits[5];
    int length;
};

ExponentDigits exponent_digits(int magnitude) {
    ExponentDigits t{{}, 0};
    char reversed[5];
    do {
        reversed[t.length++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0 && t.length < 5);
    for (int i = 0; i < t.length; ++i) t.digits[i] = reversed[t.length - 1 - i];
    return t;
}

// Most characters the exponent part can take.
long long exponent_room(int e) { return e == 2 ? 4 : std::max(e, 0) + 2LL; }

// The exponent part of an E field. Returns false when the exponent needs
// more digits than the form allows (the field is then all asterisks).
template <class Writer>
bool put_exponent(int value, int e, Writer& w) {
    const char sign = value < 0 ? '-' : '+';
    const int magnitude = value < 0 ? -value : value;
    if (e == 2 && magnitude < 100) {
        w.put('E');
        w.put(sign);
        w.put(static_cast<char>('0' + magnitude / 10));
        w.put(static_cast<char>('0' + magnitude % 10));
        return true;
    }
    const ExponentDigits t = exponent_digits(magnitude);
    if (e == 2) {
        if (t.length > 3) return false;
        w.put(sign);  // three digits take the place of the letter
    } else {
        if (t.length > e) return false;
        w.put('E');
        w.put(sign);
        w.put_run('0', e - t.length);
    }
    w.put_text(t.digits, t.length);
    return true;
}

// The exponent form with the digits already rounded to the n significant
// digits shown (k within -d < k <= d+1).
template <class Writer>
bool put_exponent_layout(const ShownDigits& s, int n, int k, int e, bool sign_plus, Writer& w) {
    put_sign(s.sign, sign_plus, w);
    const int before_point = std::max(k, 0);
    put_digits(s, 0, before_point, w);
    w.put('.');
    if (k < 0) w.put_run('0', -k);
    put_digits(s, before_point, n, w);
    return put_exponent(s.zero ? 0 : s.exponent - k, e, w);
}

template <class Writer>
void put_fixed_layout(const ShownDigits& s, int d, bool sign_plus, Writer& w) {
    put_sign(s.sign, sign_plus, w);
    put_digits(s, 0, s.exponent, w);
    w.put('.');
    put_digits(s, s.exponent, s.exponent + d, w);
}

void put_asterisks(long long w, FieldText& out) {
    out.length = 0;
    BoundedWriter writer{out};
    writer.put_run('*', static_cast<int>(std::clamp<long long>(w, 0, field_capacity)));
}

void put_nonfinite(const char* text, long long width, FieldText& out) {
    BoundedWriter w{out};
    const int field = static_cast<int>(std::clamp<long long>(width, 0, field_capacity));
    const int length = static_cast<int>(std::strlen(text));
    const int shown = std::min(length, field);
    w.put_text(text, shown);
    w.put_run('.', field - shown);
}

// Ew.d and Ew.dEe under scale factor k. Scale factors outside -d < k <= d+1
// leave no sensible layout and give a field of asterisks.
void put_exponent_form(ShownDigits& s, int cap, int w, int d, int e, int k, bool sign_plus, FieldText& out) {
    const long long wide_d = d;
    if (d < 0 || k > wide_d + 1 || k <= -wide_d) {
        put_asterisks(w, out);
        return;
    }
    // Beyond the capacity the text is cut anyway; keep the counts small.
    d = std::min(d, field_capacity);
    k = std::clamp(k, 1 - d, d + 1);

    const int n = k > 0 ? d + 1 : d + k;
    round_to_shown(s, std::min(n, cap));
    bool fits;
    if (2LL + n + std::max(-k, 0) + exponent_room(e) <= field_capacity) {  // sign and point included
        DirectWriter writer{out.text};
        fits = put_exponent_layout(s, n, k, e, sign_plus, writer);
        out.length = static_cast<int>(writer.p - out.text);
    } else {
        BoundedWriter writer{out};
        fits = put_exponent_layout(s, n, k, e, sign_plus, writer);
    }
    if (!fits) put_asterisks(w, out);
}

// The list-directed fixed form: x digits before the point (one more after a
// carry into a new leading digit) and d after it.
void put_list_fixed_form(ShownDigits& s, int cap, int d, bool sign_plus, FieldText& out) {
    d = std::min(d, field_capacity);
    round_to_shown(s, std::min(s.exponent + d, cap));
    if (2 + s.exponent + d <= field_capacity) {
        DirectWriter writer{out.text};
        put_fixed_layout(s, d, sign_plus, writer);
        out.length = static_cast<int>(writer.p - out.text);
    } else {
        BoundedWriter writer{out};
        put_fixed_layout(s, d, sign_plus, writer);
    }
}

}  // namespace

DecimalDigits to_decimal_digits(double value) {
    DecimalDigits dd;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    dd.sign = (bits & sign_bit) != 0 ? '-' : ' ';

    if ((bits & exponent_mask) == exponent_mask) {
        const char* text = nonfinite_text(bits);
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

    dd.exponent = convert_magnitude(std::fabs(value), bits, dd.digits);
    int count = conversion_digits;
    while (count > 1 && dd.digits[count - 1] == '0') --count;
    dd.count = count;
    return dd;
}

void edit_integer(std::int32_t value, int m, bool sign_plus, FieldText& out) {
    out.length = 0;
    BoundedWriter w{out};
    if (m < 0) m = 0;
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    char digits[10];
    int length = 0;
    if (magnitude != 0) {
        const auto result = std::to_chars(digits, digits + sizeof digits, magnitude);
        length = static_cast<int>(result.ptr - digits);
    }
    if (value < 0)
        w.put('-');
    else if (sign_plus && (m > 0 || length > 0))
        w.put('+');
    w.put_run('0', m - length);
    w.put_text(digits, length);
}

void edit_real(double value, RealKind kind, int w, int d, int e, int k, bool sign_plus, RealForm form,
               FieldText& out) {
    out.length = 0;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const long long wide_w = w;
    if ((bits & exponent_mask) == exponent_mask) {
        put_nonfinite(nonfinite_text(bits), form == RealForm::list ? wide_w - 2 : wide_w, out);
        return;
    }
    ShownDigits s = convert_for_edit(value, bits);
    const int cap = kind == RealKind::real8 ? real8_cap : real4_cap;
    if (form == RealForm::list) {
        if (d >= 0 && 0 < s.exponent && s.exponent < wide_w - d - 1) {
            put_list_fixed_form(s, cap, d, sign_plus, out);
            return;
        }
        k = 1;
    }
    put_exponent_form(s, cap, w, d, e, k, sign_plus, out);
}

FittedField fit_field(const FieldText& text, int w) {
    if (w < 0) w = 0;
    if (text.length <= w) return {w - text.length, text.view()};
    return {0, std::string_view(asterisk_run.data(), static_cast<std::size_t>(w))};
}

}  // namespace io
