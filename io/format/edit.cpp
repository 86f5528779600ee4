#include "io/format/edit.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace io {
namespace {

// The small writing steps of a layout are inlined into it, so that the
// write position stays in a register.

static_assert(field_slack == shown_padded);

constexpr std::array<char, field_capacity> asterisk_run = [] {
    std::array<char, field_capacity> run{};
    run.fill('*');
    return run;
}();

// ---- Writing ----------------------------------------------------------------

// Writes into a field text where the whole text is known to fit; short
// runs go as whole blocks (blocks.hpp), into the slack after the capacity
// at worst.
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
    // `digits` has at least a block of readable bytes (shown_padded).
    [[gnu::always_inline]] inline void put_digit_run(const char* digits, int count) {
        p = blocks::copy_run(p, digits, count);
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
    void put_digit_run(const char* digits, int count) { put_text(digits, count); }
};

// Runs `layout` with the direct writer when its text, at most `most`
// characters, is known to fit, and with the bounded writer otherwise;
// returns what the layout returns (false: no such field, asterisks).
template <class Layout>
[[gnu::always_inline]] inline bool write_layout(long long most, FieldText& out, const Layout& layout) {
    if (most <= field_capacity) {
        DirectWriter writer{out.text};
        const bool done = layout(writer);
        out.length = static_cast<int>(writer.p - out.text);
        return done;
    }
    BoundedWriter writer{out};
    return layout(writer);
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

constexpr std::array<char, 200> digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// The exponent part of an E field. Returns false when the exponent needs
// more digits than the form allows (the field is then all asterisks).
template <class Writer>
[[gnu::always_inline]] inline bool put_exponent(int value, int e, Writer& w) {
    const char sign = value < 0 ? '-' : '+';
    const int magnitude = value < 0 ? -value : value;
    if (e == 2 && magnitude < 100) {
        const char text[4] = {'E', sign, digit_pairs[2 * magnitude], digit_pairs[2 * magnitude + 1]};
        w.put_text(text, 4);
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
[[gnu::always_inline]] inline bool put_exponent_layout(const ShownDigits& s, int n, int k, int e, bool sign_plus,
                                                       Writer& w) {
    put_sign(s.sign, sign_plus, w);
    const int before_point = std::max(k, 0);
    put_digits(s, 0, before_point, w);
    w.put('.');
    if (k < 0) w.put_run('0', -k);
    put_digits(s, before_point, n, w);
    return put_exponent(s.zero ? 0 : s.exponent - k, e, w);
}

constexpr std::uint32_t powers_of_ten_32[] = {1u,      10u,      100u,      1000u,      10000u,
                                               100000u, 1000000u, 10000000u, 100000000u, 1000000000u};

// The decimal digits of an integer magnitude, without leading zeros (none
// for 0), written at `out` from the last pair of digits back; returns their
// count.
int magnitude_digits(std::uint32_t v, char* out) {
    if (v == 0) return 0;
    const int estimate = ((32 - std::countl_zero(v)) * 1233) >> 12;  // the digits, or one fewer
    const int length = estimate + (v >= powers_of_ten_32[estimate] ? 1 : 0);
    char* p = out + length;
    while (v >= 100) {
        p -= 2;
        std::memcpy(p, digit_pairs.data() + 2 * (v % 100), 2);
        v /= 100;
    }
    if (v >= 10) {
        std::memcpy(p - 2, digit_pairs.data() + 2 * v, 2);
    } else {
        p[-1] = static_cast<char>('0' + v);
    }
    return length;
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

// ---- Reals: the layout chosen, the digits rounded once, the text laid out ----

// How a finite real is laid out: the exponent form under scale factor k, or
// the fixed form; d digits after the point, e exponent digits, n
// significant digits shown. A form without a sensible layout (E with k
// outside -d < k <= d+1) gives asterisks.
struct RealLayout {
    bool exists = true;
    bool fixed = false;
    int k = 0;
    int d = 0;
    int e = 2;
    long long n = 0;
};

RealLayout exponent_layout(int d, int k, int e) {
    const long long wide_d = d;
    if (d < 0 || k > wide_d + 1 || k <= -wide_d) return {.exists = false};
    if (d > field_capacity) {
        // Beyond the capacity the text is cut anyway; keep the counts small.
        d = field_capacity;
        k = std::clamp(k, 1 - d, d + 1);
    }
    return {.k = k, .d = d, .e = e, .n = k > 0 ? d + 1 : d + k};
}

// Rounded to the d-th digit after the point.
RealLayout fixed_layout(const EditParams& p, const Decimal& v) {
    const int d = std::max(p.d, 0);
    return {.fixed = true, .d = d, .n = v.exponent + static_cast<long long>(d)};
}

// The forms of the descriptors: E under the scale factor; EN with the scale
// factor (1 to 3) that makes the exponent a multiple of 3 and d digits after
// the point; F; the list-directed choice, for 0 < x < w - d - 1 the fixed
// form with x digits before the point (one more after a carry into a new
// leading digit), else the exponent form with one digit before the point.
struct DescriptorForms {
    static constexpr bool report = false;

    RealLayout layout(const EditParams& p, const Decimal& v) const {
        switch (p.form) {
            case RealForm::exponent:
                return exponent_layout(p.d, p.k, p.e);
            case RealForm::engineering: {
                const int k = v.zero ? 1 : ((v.exponent - 1) % 3 + 3) % 3 + 1;
                const long long d = static_cast<long long>(p.d) + k - 1;
                return exponent_layout(static_cast<int>(std::clamp<long long>(d, std::numeric_limits<int>::min(),
                                                                              std::numeric_limits<int>::max())),
                                       k, p.e);
            }
            case RealForm::fixed:
                return fixed_layout(p, v);
            case RealForm::list:
                if (p.d >= 0 && 0 < v.exponent && v.exponent < static_cast<long long>(p.w) - p.d - 1) {
                    return fixed_layout(p, v);
                }
                return exponent_layout(p.d, 1, p.e);
        }
        return {.exists = false};
    }
};

// The report's form, 1P,Ew.d with two exponent digits and d below 32: the
// exponent layout with its scale factor and exponent digits known at
// compile time. The exponent of a double has three digits at most, so the
// text always has its layout and always fits the capacity.
struct ReportForm {
    static constexpr bool report = true;

    RealLayout layout(const EditParams& p, const Decimal&) const { return {.k = 1, .d = p.d, .e = 2, .n = p.d + 1}; }
};

// The fixed form of the rounded digits: the digits before the point, a '0'
// there for none when the field has room for it, the point and d digits
// after it: '0' between the point and a first digit further right, and
// beyond the rounded digits. A text longer than the capacity is too wide.
void put_fixed_form(const ShownDigits& s, const RealLayout& layout, const EditParams& p, FieldText& out) {
    const int before_point = std::max(s.exponent, 0);
    long long length = (s.sign == '-' || p.sign_plus ? 1 : 0) + before_point + 1LL + layout.d;
    const bool leading_zero = before_point == 0 && length + 1 <= p.w;
    length += leading_zero ? 1 : 0;
    if (p.form == RealForm::fixed && length > field_capacity) {
        out.too_wide = true;
        return;
    }
    // Beyond the capacity the text is cut anyway; keep the counts small.
    const int d = std::min(layout.d, field_capacity);
    write_layout(length, out, [&](auto& w) {
        put_sign(s.sign, p.sign_plus, w);
        w.put_if('0', leading_zero);
        put_digits(s, 0, before_point, w);
        w.put('.');
        const int zeros = std::clamp(-s.exponent, 0, d);
        w.put_run('0', zeros);
        put_digits(s, s.exponent + zeros, s.exponent + d, w);
        return true;
    });
}

// A finite real in the layout its form chooses: converted, rounded to the
// digits shown, laid out. Kept out of line: inlined into the plan's walk it
// makes the row's work longer.
template <class Forms>
[[gnu::noinline]] void put_real(double finite_value, const EditParams& p, const Forms& forms, FieldText& out) {
    const Decimal v = to_decimal(finite_value);
    const RealLayout layout = forms.layout(p, v);
    if (!layout.exists) {
        put_asterisks(p.w, out);
        return;
    }
    const ShownDigits s = round_to_shown(v, layout.n, p.kind);
    if (layout.fixed) {
        put_fixed_form(s, layout, p, out);
        return;
    }
    const int n = static_cast<int>(layout.n);
    const long long most = Forms::report ? 2LL + shown_padded + exponent_room(layout.e)
                                         : 2LL + n + std::max(-layout.k, 0) + exponent_room(layout.e);  // sign, point
    const bool fits = write_layout(
        most, out, [&](auto& w) { return put_exponent_layout(s, n, layout.k, layout.e, p.sign_plus, w); });
    if (!fits) put_asterisks(p.w, out);
}

}  // namespace

void edit_integer(std::int32_t value, const EditParams& params, FieldText& out) {
    out.too_wide = false;
    // A positive value with no minimum digits beyond one and no plus sign
    // (a report's row number) is its digits alone.
    if (value > 0 && params.d <= 1 && !params.sign_plus) {
        out.length = magnitude_digits(static_cast<std::uint32_t>(value), out.text);
        return;
    }
    const int m = std::max(params.d, 0);
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    char digits[field_slack];  // ten digits at most; a block is copied from it
    const int length = magnitude_digits(magnitude, digits);
    const bool sign = value < 0 || (params.sign_plus && (m > 0 || length > 0));
    out.length = 0;
    write_layout(1LL + std::max(m, length), out, [&](auto& w) {
        w.put_if(value < 0 ? '-' : '+', sign);
        if (m > length) w.put_run('0', m - length);
        w.put_digit_run(digits, std::min(length, 10));  // ten digits at most
        return true;
    });
}

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

void edit_real(double value, const EditParams& params, FieldText& out) {
    out.length = 0;
    out.too_wide = false;
    if (!std::isfinite(value)) {
        const long long w = params.w;
        put_nonfinite(nonfinite_text(value), params.form == RealForm::list ? w - 2 : w, out);
        return;
    }
    put_real(value, params, DescriptorForms{}, out);
}

FittedField fit_field(const FieldText& text, int w) {
    if (w < 0) w = 0;
    if (text.length <= w) return {w - text.length, text.view()};
    return {0, std::string_view(asterisk_run.data(), static_cast<std::size_t>(w))};
}

FittedField edit_integer_field(std::int32_t value, const EditParams& params, FieldText& text) {
    edit_integer(value, params, text);
    return fit_field(text, params.w);
}

bool is_report_exponent(const EditParams& p) {
    return p.form == RealForm::exponent && p.k == 1 && p.e == 2 && p.d >= 0 && p.d < shown_padded;
}

FittedField edit_report_exponent_field(double value, const EditParams& params, FieldText& text) {
    if (!std::isfinite(value)) return edit_real_field(value, params, text);
    put_real(value, params, ReportForm{}, text);
    return fit_field(text, params.w);
}

FittedField edit_real_field(double value, const EditParams& params, FieldText& text) {
    edit_real(value, params, text);
    if (text.too_wide) return {std::max(params.w, 0), std::string_view(text.text, 0), '*'};
    return fit_field(text, params.w);
}

}  // namespace io
