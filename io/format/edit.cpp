#include "io/format/edit.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "io/format/record.hpp"

namespace io {
namespace {

// The small writing steps of a layout are inlined into it, so that the
// write position stays in a register.

constexpr std::array<char, 200> digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

constexpr std::uint32_t powers_of_ten_32[] = {1u,      10u,      100u,      1000u,      10000u,
                                               100000u, 1000000u, 10000000u, 100000000u, 1000000000u};

// The number of decimal digits of v, none for 0.
int digit_count(std::uint32_t v) {
    const int estimate = ((32 - std::countl_zero(v)) * 1233) >> 12;  // the digits, or one fewer
    return estimate + (v >= powers_of_ten_32[estimate] ? 1 : 0);
}

// The decimal digits of v > 0, written from the last pair of digits back
// so that they end at `end`.
void write_digits(std::uint32_t v, char* end) {
    while (v >= 100) {
        end -= 2;
        std::memcpy(end, digit_pairs.data() + 2 * (v % 100), 2);
        v /= 100;
    }
    if (v >= 10) {
        std::memcpy(end - 2, digit_pairs.data() + 2 * v, 2);
    } else {
        end[-1] = static_cast<char>('0' + v);
    }
}

// ---- Writing ----------------------------------------------------------------

// Writes a text where the whole of it is known to fit; short runs go as
// whole blocks (blocks.hpp), into the spare room after the capacity at
// worst.
struct DirectWriter {
    char* p;

    [[gnu::always_inline]] inline void put(char c) { *p++ = c; }
    [[gnu::always_inline]] inline void put_if(char c, bool wanted) {
        *p = c;
        p += wanted ? 1 : 0;
    }
    [[gnu::always_inline]] inline void put_run(char c, int count) {
        p = blocks::fill_run(p, c, count);
    }
    [[gnu::always_inline]] inline void put_text(const char* text, int count) {
        std::memcpy(p, text, static_cast<std::size_t>(count));
        p += count;
    }
    // `digits` can be read a block at a time.
    [[gnu::always_inline]] inline void put_digit_run(const char* digits, int count) {
        p = blocks::copy_run(p, digits, count);
    }
    // The `length` digits of v (none for 0).
    [[gnu::always_inline]] inline void put_magnitude(std::uint32_t v, int length) {
        p += length;
        if (length > 0) write_digits(v, p);
    }
};

// Writes up to the capacity of a field text and drops the rest.
struct BoundedWriter {
    char* text;
    int length = 0;

    void put(char c) {
        if (length < field_capacity) text[length++] = c;
    }
    void put_if(char c, bool wanted) {
        if (wanted) put(c);
    }
    void put_run(char c, int count) {
        const int n = std::clamp(count, 0, field_capacity - length);
        std::memset(text + length, c, static_cast<std::size_t>(n));
        length += n;
    }
    void put_text(const char* from, int count) {
        const int n = std::clamp(count, 0, field_capacity - length);
        std::memcpy(text + length, from, static_cast<std::size_t>(n));
        length += n;
    }
    void put_digit_run(const char* digits, int count) { put_text(digits, count); }
    void put_magnitude(std::uint32_t v, int length) {
        char digits[10];
        if (length > 0) write_digits(v, digits + length);
        put_text(digits, length);
    }
};

// Every text is written at a place with room for a field text and a block
// more (FieldText, or the end of a record), and its length returned.
//
// Runs `layout` at `out` with the direct writer when its text, at most
// `most` characters, is known to fit, and with the bounded writer
// otherwise.
template <class Layout>
[[gnu::always_inline]] inline int write_layout(long long most, char* out, const Layout& layout) {
    if (most <= field_capacity) {
        DirectWriter writer{out};
        layout(writer);
        return static_cast<int>(writer.p - out);
    }
    BoundedWriter writer{out};
    layout(writer);
    return writer.length;
}

int put_asterisks(long long w, char* out) {
    const int n = static_cast<int>(std::clamp<long long>(w, 0, field_capacity));
    std::memset(out, '*', static_cast<std::size_t>(n));
    return n;
}

// Positions [from, to) of the shown digits: those held, then '0'. Up to
// `shown_padded` the text holds the zeros too.
template <class Writer>
[[gnu::always_inline]] inline void put_digits(const ShownDigits& s, int from, int to, Writer& w) {
    if (to <= from) return;
    if (to <= shown_padded) {
        w.put_digit_run(s.digits + from, to - from);
        return;
    }
    const int held = std::clamp(s.count - from, 0, to - from);
    if (held > 0) w.put_digit_run(s.digits + from, held);
    if (held < to - from) w.put_run('0', to - from - held);
}

template <class Writer>
[[gnu::always_inline]] inline void put_sign(char sign, bool sign_plus, Writer& w) {
    const bool negative = sign == '-';
    w.put_if(negative ? '-' : '+', negative || sign_plus);
}

// ---- Exponents ----------------------------------------------------------------

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

// The exponent part when the descriptor gives no digit count, for every
// exponent of three digits at most: 'E', the sign and two digits, or the
// sign and three digits in the same four places. Positive exponents first,
// then negative ones.
constexpr int short_exponent_limit = 1000;
constexpr std::array<std::array<char, 4>, 2 * short_exponent_limit> short_exponents = [] {
    std::array<std::array<char, 4>, 2 * short_exponent_limit> texts{};
    for (int negative = 0; negative <= 1; ++negative) {
        for (int m = 0; m < short_exponent_limit; ++m) {
            const char sign = negative != 0 ? '-' : '+';
            const char hundreds = static_cast<char>('0' + m / 100);
            const char tens = static_cast<char>('0' + m / 10 % 10);
            const char units = static_cast<char>('0' + m % 10);
            texts[static_cast<std::size_t>(negative * short_exponent_limit + m)] =
                m < 100 ? std::array<char, 4>{'E', sign, tens, units} : std::array<char, 4>{sign, hundreds, tens, units};
        }
    }
    return texts;
}();

// Whether the exponent part has room for the exponent's digits: three when
// the descriptor gives no digit count (e = 2), else e. Without it the
// field is all asterisks.
bool exponent_fits(int value, int e) {
    const int magnitude = value < 0 ? -value : value;
    return e == 2 ? magnitude < short_exponent_limit : exponent_digits(magnitude).length <= e;
}

template <class Writer>
[[gnu::always_inline]] inline void put_short_exponent(int value, Writer& w) {
    const int index = value < 0 ? short_exponent_limit - value : value;
    w.put_text(short_exponents[static_cast<std::size_t>(index)].data(), 4);
}

// Ew.dEe: 'E', the sign and e digits.
template <class Writer>
void put_exponent_digits(int value, int e, Writer& w) {
    const ExponentDigits t = exponent_digits(value < 0 ? -value : value);
    w.put('E');
    w.put(value < 0 ? '-' : '+');
    w.put_run('0', e - t.length);
    w.put_text(t.digits, t.length);
}

template <class Writer>
[[gnu::always_inline]] inline void put_exponent(int value, int e, Writer& w) {
    if (e == 2) return put_short_exponent(value, w);
    put_exponent_digits(value, e, w);
}

// ---- The layouts of a real: the digits rounded once, the text laid out --------

// The exponent layout of digits rounded to the n significant digits shown,
// k of them before the point (none for k <= 0, and then -k zeros after it).
template <class Writer>
[[gnu::always_inline]] inline void put_exponent_layout(const ShownDigits& s, int n, int k, int e, bool sign_plus,
                                                       Writer& w) {
    put_sign(s.sign, sign_plus, w);
    const int before_point = std::max(k, 0);
    put_digits(s, 0, before_point, w);
    w.put('.');
    if (k < 0) w.put_run('0', -k);
    put_digits(s, before_point, n, w);
    put_exponent(s.zero ? 0 : s.exponent - k, e, w);
}

// kP,Ew.dEe: d + 1 significant digits for k > 0, d + k otherwise; a form
// without a sensible layout (k outside -d < k <= d + 1) is all asterisks,
// like one whose exponent needs more digits than e allows.
int exponent_form(const Decimal& v, int d, int k, int e, const EditParams& p, char* out) {
    const long long wide_d = d;
    if (d < 0 || k > wide_d + 1 || k <= -wide_d) return put_asterisks(p.w, out);
    if (d > field_capacity) {
        // Beyond the capacity the text is cut anyway; keep the counts small.
        d = field_capacity;
        k = std::clamp(k, 1 - d, d + 1);
    }
    const int n = k > 0 ? d + 1 : d + k;
    const ShownDigits s = round_to_shown(v, n, p.kind);
    if (!exponent_fits(s.zero ? 0 : s.exponent - k, e)) return put_asterisks(p.w, out);
    const long long most = 2LL + n + std::max(-k, 0) + exponent_room(e);  // sign, point
    return write_layout(most, out, [&](auto& w) { put_exponent_layout(s, n, k, e, p.sign_plus, w); });
}

// ENw.dEe: the scale factor of 1 to 3 that makes the exponent a multiple of
// 3, and d digits after the point.
int engineering_form(const Decimal& v, const EditParams& p, char* out) {
    const int k = v.zero ? 1 : ((v.exponent - 1) % 3 + 3) % 3 + 1;
    const long long d = static_cast<long long>(p.d) + k - 1;
    return exponent_form(
        v, static_cast<int>(std::clamp<long long>(d, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())),
        k, p.e, p, out);
}

// The fixed layout, rounded to the d-th digit after the point: the digits
// before the point, a '0' there for none when the field has room for it,
// the point and d digits after it: '0' between the point and a first digit
// further right, and beyond the rounded digits.
struct FixedLayout {
    ShownDigits s;
    int d;
    bool leading_zero;
    long long length;  // of the text
};

FixedLayout fixed_layout(const Decimal& v, const EditParams& p) {
    const int d = std::max(p.d, 0);
    FixedLayout f{round_to_shown(v, v.exponent + static_cast<long long>(d), p.kind), d, false, 0};
    const int before_point = std::max(f.s.exponent, 0);
    f.length = (f.s.sign == '-' || p.sign_plus ? 1 : 0) + before_point + 1LL + d;
    f.leading_zero = before_point == 0 && f.length + 1 <= p.w;
    f.length += f.leading_zero ? 1 : 0;
    return f;
}

int put_fixed_layout(const FixedLayout& f, bool sign_plus, char* out) {
    const ShownDigits& s = f.s;
    // Beyond the capacity the text is cut anyway; keep the counts small.
    const int d = std::min(f.d, field_capacity);
    return write_layout(f.length, out, [&](auto& w) {
        put_sign(s.sign, sign_plus, w);
        w.put_if('0', f.leading_zero);
        put_digits(s, 0, std::max(s.exponent, 0), w);
        w.put('.');
        const int zeros = std::clamp(-s.exponent, 0, d);
        w.put_run('0', zeros);
        put_digits(s, s.exponent + zeros, s.exponent + d, w);
    });
}

// Fw.d: a text longer than the capacity is not held, only its length is
// known.
int fixed_form(const Decimal& v, const EditParams& p, char* out) {
    const FixedLayout f = fixed_layout(v, p);
    if (f.length > field_capacity) return field_capacity + 1;
    return put_fixed_layout(f, p.sign_plus, out);
}

// The list-directed choice: for 0 < x < w - d - 1 the fixed layout with x
// digits before the point (one more after a carry into a new leading
// digit), else the exponent form with one digit before the point.
int list_form(const Decimal& v, const EditParams& p, char* out) {
    if (p.d >= 0 && 0 < v.exponent && v.exponent < static_cast<long long>(p.w) - p.d - 1) {
        return put_fixed_layout(fixed_layout(v, p), p.sign_plus, out);
    }
    return exponent_form(v, p.d, 1, p.e, p, out);
}

// The report's form, 1P,Ew.d with two exponent digits and d below 32: the
// exponent layout with its scale factor and exponent digits known here.
// The exponent of a double has three digits at most, so the text always
// has its layout and always fits the capacity.
int report_form(const Decimal& v, const EditParams& p, char* out) {
    const int n = p.d + 1;
    const ShownDigits s = round_to_shown(v, n, p.kind);
    return write_layout(2LL + shown_padded + 4, out, [&](auto& w) { put_exponent_layout(s, n, 1, 2, p.sign_plus, w); });
}

int nonfinite_form(const char* text, long long width, char* out) {
    BoundedWriter w{out};
    const int field = static_cast<int>(std::clamp<long long>(width, 0, field_capacity));
    const int length = static_cast<int>(std::strlen(text));
    const int shown = std::min(length, field);
    w.put_text(text, shown);
    w.put_run('.', field - shown);
    return w.length;
}

// ---- The texts of the edits, each at a text's place -----------------------

int integer_text(std::int32_t value, const EditParams& params, char* out) {
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    const int length = digit_count(magnitude);
    const int m = std::max(params.d, 0);
    const bool sign = value < 0 || (params.sign_plus && (m > 0 || length > 0));
    return write_layout(1LL + std::max(m, length), out, [&](auto& w) {
        w.put_if(value < 0 ? '-' : '+', sign);
        if (m > length) w.put_run('0', m - length);
        w.put_magnitude(magnitude, length);
    });
}

int real_text(double value, const EditParams& params, char* out) {
    if (const char* text = nonfinite_text(value)) {
        return nonfinite_form(text, params.form == RealForm::list ? params.w - 2LL : params.w, out);
    }
    const Decimal v = to_decimal(value);
    switch (params.form) {
        case RealForm::exponent:
            return exponent_form(v, params.d, params.k, params.e, params, out);
        case RealForm::engineering:
            return engineering_form(v, params, out);
        case RealForm::fixed:
            return fixed_form(v, params, out);
        case RealForm::list:
            return list_form(v, params, out);
    }
    return 0;
}

}  // namespace

const char* nonfinite_text(double value) {
    constexpr std::uint64_t exponent_mask = 0x7FF0000000000000u;
    constexpr std::uint64_t fraction_mask = 0x000FFFFFFFFFFFFFu;
    constexpr std::uint64_t quiet_bit = 0x0008000000000000u;
    constexpr std::uint64_t default_indefinite = 0xFFF8000000000000u;  // the processor's default NaN
    const auto bits = std::bit_cast<std::uint64_t>(value);
    if ((bits & exponent_mask) != exponent_mask) return nullptr;
    const std::uint64_t fraction = bits & fraction_mask;
    if (fraction == 0) return "1#INF";
    if ((fraction & quiet_bit) == 0) return "1#SNAN";
    if (bits == default_indefinite) return "1#IND";
    return "1#QNAN";
}

void edit_integer(std::int32_t value, const EditParams& params, FieldText& out) {
    out.length = integer_text(value, params, out.text);
}

void edit_real(double value, const EditParams& params, FieldText& out) {
    out.length = real_text(value, params, out.text);
}

void put_integer_field(Record& record, std::int32_t value, const EditParams& params) {
    record.put_field(params.w, [&](char* at) { return integer_text(value, params, at); });
}

void put_real_field(Record& record, double value, const EditParams& params) {
    record.put_field(params.w, [&](char* at) { return real_text(value, params, at); });
}

bool is_report_exponent(const EditParams& p) {
    return p.form == RealForm::exponent && p.k == 1 && p.e == 2 && p.d >= 0 && p.d < shown_padded;
}

void put_report_field(Record& record, double value, const EditParams& params) {
    if (!std::isfinite(value)) return put_real_field(record, value, params);
    record.put_field(params.w, [&](char* at) { return report_form(to_decimal(value), params, at); });
}

}  // namespace io
