// Numeric field editing against the exact reference: any double (or 4-byte
// real, or integer) with any w, d, e, k and sign control. Within the
// parameters whose layout is defined the field must match the reference
// character for character; outside them it must still be exactly w wide.
//
// Input layout (little-endian):
//   byte 0     flags: 1 sign-plus, 2 four-byte real, 4 list-directed form,
//              8 integer editing (m = d), 16 value from decimal text,
//              32 parameters as given (otherwise folded into the range
//              where the reference knows the layout, so that most inputs
//              are checked character for character), 64 the F form,
//              128 the EN form (neither with the list form)
//   bytes 1-2  w      bytes 3-4  d      byte 5  e      bytes 6-7  k
//   then       the value's bits (8 bytes; 4 for a four-byte real or an
//              integer), or with flag 16 a signed step in units of the last
//              place followed by the decimal text of the value.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "io/format/edit.hpp"
#include "io/format/record.hpp"
#include "support/exact_reference.hpp"

namespace {

struct Case {
    bool sign_plus = false;
    bool real4 = false;
    bool list = false;
    bool integer = false;
    bool fixed = false;
    bool engineering = false;
    int w = 0;
    int d = 0;
    int e = 2;
    int k = 0;
    double value = 0.0;
    std::int32_t integer_value = 0;
};

template <typename T>
T take(const std::uint8_t* data, std::size_t size, std::size_t at) {
    std::uint8_t bytes[sizeof(T)] = {};
    for (std::size_t i = 0; i < sizeof(T) && at + i < size; ++i) bytes[i] = data[at + i];
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

double stepped(double v, int steps) {
    for (; steps > 0; --steps) v = std::nextafter(v, INFINITY);
    for (; steps < 0; ++steps) v = std::nextafter(v, -INFINITY);
    return v;
}

float stepped(float v, int steps) {
    for (; steps > 0; --steps) v = std::nextafterf(v, INFINITY);
    for (; steps < 0; ++steps) v = std::nextafterf(v, -INFINITY);
    return v;
}

// v itself when it lies in [low, high], else a value of that range.
int fold(int v, int low, int high) {
    if (v >= low && v <= high) return v;
    const int span = high - low + 1;
    return low + ((v % span) + span) % span;
}

Case decode(const std::uint8_t* data, std::size_t size) {
    Case c;
    const std::uint8_t flags = take<std::uint8_t>(data, size, 0);
    c.sign_plus = (flags & 1) != 0;
    c.real4 = (flags & 2) != 0;
    c.list = (flags & 4) != 0;
    c.integer = (flags & 8) != 0;
    c.fixed = !c.list && (flags & 64) != 0;
    c.engineering = !c.list && !c.fixed && (flags & 128) != 0;
    c.w = take<std::int16_t>(data, size, 1);
    c.d = take<std::int16_t>(data, size, 3);
    c.e = take<std::int8_t>(data, size, 5);
    c.k = take<std::int16_t>(data, size, 6);
    if ((flags & 32) == 0) {
        c.w = fold(c.w, 0, 400);
        c.d = fold(c.d, 0, 200);
        c.e = fold(c.e, -2, 12);
        c.k = fold(c.k, -c.d - 2, c.d + 3);
    }
    if ((flags & 16) != 0) {
        const int steps = take<std::int8_t>(data, size, 8) % 4;
        const std::string text(reinterpret_cast<const char*>(data) + std::min<std::size_t>(size, 9),
                               size > 9 ? size - 9 : 0);
        c.integer_value = static_cast<std::int32_t>(std::strtoll(text.c_str(), nullptr, 10));
        c.value = c.real4 ? static_cast<double>(stepped(std::strtof(text.c_str(), nullptr), steps))
                          : stepped(std::strtod(text.c_str(), nullptr), steps);
    } else {
        c.integer_value = take<std::int32_t>(data, size, 8);
        c.value = c.real4 ? static_cast<double>(std::bit_cast<float>(take<std::uint32_t>(data, size, 8)))
                          : std::bit_cast<double>(take<std::uint64_t>(data, size, 8));
    }
    return c;
}


[[noreturn]] void mismatch(const Case& c, const char* what, const std::string& want, const std::string& got) {
    std::fprintf(stderr,
                 "%s mismatch: value %a (bits 0x%016llx) int %d w=%d d=%d e=%d k=%d sign_plus=%d real4=%d list=%d"
                 " fixed=%d engineering=%d\n  want [%s]\n  got  [%s]\n",
                 what, c.value, static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(c.value)),
                 c.integer_value, c.w, c.d, c.e, c.k, c.sign_plus, c.real4, c.list, c.fixed, c.engineering,
                 want.c_str(), got.c_str());
    std::abort();
}

void check_conversion(const Case& c) {
    const std::string want = exact::conversion_text(exact::conversion(c.value));
    std::string got;
    if (const char* text = io::nonfinite_text(c.value)) {
        got = std::string(1, std::signbit(c.value) ? '-' : ' ') + text;
    } else if (const io::Decimal d = io::to_decimal(c.value); d.zero) {
        got = " 0";
    } else if (d.count != 17 || d.value < 10000000000000000u || d.value > 99999999999999999u) {
        got = "(malformed conversion)";
    } else {
        got = std::string(1, d.sign) + "0." + std::to_string(d.value) + "E" + std::to_string(d.exponent);
    }
    if (want != got) mismatch(c, "decimal conversion", want, got);
}

// Parameters where the layout is defined and the text stays far inside the
// field capacity and below 520 digit positions.
bool defined_parameters(const Case& c) { return c.w >= 0 && c.w <= 400 && c.d >= 0 && c.d <= 200 && c.e >= -2 && c.e <= 12; }

void check_integer(const Case& c) {
    io::Record record;
    io::put_integer_field(record, c.integer_value, {.w = c.w, .d = c.d, .sign_plus = c.sign_plus});
    const std::string got(record.text());
    if (c.w >= 0 && c.w <= 400 && c.d <= 400) {
        const std::string want = exact::fitted(exact::integer_text(c.integer_value, c.d, c.sign_plus), c.w);
        if (want != got) mismatch(c, "Iw.m", want, got);
    } else if (got.size() != static_cast<std::size_t>(std::max(c.w, 0))) {
        mismatch(c, "Iw.m width", std::to_string(std::max(c.w, 0)) + " columns", got);
    }
}

io::RealForm form_of(const Case& c) {
    if (c.list) return io::RealForm::list;
    if (c.fixed) return io::RealForm::fixed;
    if (c.engineering) return io::RealForm::engineering;
    return io::RealForm::exponent;
}

void check_real(const Case& c) {
    const int cap = c.real4 ? 7 : 16;
    const io::RealForm form = form_of(c);
    const int k = form == io::RealForm::exponent ? c.k : 0;
    // The field as the record writer makes it: a text too wide for the field
    // text gives a field of asterisks.
    io::Record record;
    io::put_real_field(record, c.value,
                       {.w = c.w,
                        .d = c.d,
                        .e = c.e,
                        .k = k,
                        .sign_plus = c.sign_plus,
                        .kind = c.real4 ? io::RealKind::real4 : io::RealKind::real8,
                        .form = form});
    const std::string got(record.text());

    if (!defined_parameters(c)) {
        if (got.size() != static_cast<std::size_t>(std::max(c.w, 0)))
            mismatch(c, "field width", std::to_string(std::max(c.w, 0)) + " columns", got);
        return;
    }
    std::string want;
    const char* what = "kP,Ew.dEe";
    if (c.list) {
        what = "list-directed field";
        want = exact::fitted(exact::list_form(c.value, cap, c.w, c.d, c.e, c.sign_plus), c.w);
    } else if (c.fixed) {
        what = "Fw.d";
        want = exact::fitted(exact::fixed_form(c.value, cap, c.w, c.d, c.sign_plus), c.w);
    } else if (c.engineering) {
        what = "ENw.dEe";
        want = exact::fitted(exact::engineering_form(c.value, cap, c.w, c.d, c.e, c.sign_plus), c.w);
    } else if (exact::is_nonfinite(c.value) || exact::scale_has_layout(c.d, k)) {
        want = exact::fitted(exact::exponent_form(c.value, cap, c.w, c.d, c.e, k, c.sign_plus), c.w);
    } else {
        want = std::string(static_cast<std::size_t>(c.w), '*');  // no layout for this scale factor
    }
    if (want != got) mismatch(c, what, want, got);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Case c = decode(data, size);
    if (c.integer) {
        check_integer(c);
        return 0;
    }
    if (!c.real4) check_conversion(c);
    check_real(c);
    return 0;
}
