// Conversion of list-directed value texts into integers and reals.
#include <cstdint>
#include <string>
#include <string_view>

#include "io/listio/conversions.hpp"
#include "io/listio/decimal_reading.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

constexpr char end_of_file_mark = 0x1A;  // Ctrl+Z ends an integer text

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Value of a digit of the radix form: 0-9, then a-z or A-Z as 10-35; 36 for
// anything else (never below a radix).
constexpr unsigned radix_digit_value(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a') + 10;
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A') + 10;
    return 36;
}

// The digits after "#": an unsigned 32-bit accumulation whose bit pattern is
// the result.
int convert_radix_digits(std::string_view digits, std::uint32_t radix, std::uint32_t& pattern) {
    const std::uint32_t limit = UINT32_MAX / radix;
    std::uint32_t value = 0;
    for (char c : digits) {
        if (c == end_of_file_mark) break;
        if (c == '#') return rt::msg::second_radix_mark;
        const unsigned digit = radix_digit_value(c);
        if (digit >= radix) return rt::msg::invalid_integer;
        if (value > limit) return rt::msg::integer_out_of_range;
        const std::uint64_t next = static_cast<std::uint64_t>(value) * radix + digit;
        if (next > UINT32_MAX) return rt::msg::integer_out_of_range;  // wrap-around
        value = static_cast<std::uint32_t>(next);
        if (radix == 10 && value > INT32_MAX) return rt::msg::integer_out_of_range;
    }
    pattern = value;
    return 0;
}

}  // namespace

int convert_integer(std::string_view text, std::int32_t& value) {
    if (text == "-2147483648") {
        value = INT32_MIN;
        return 0;
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int32_t decimal = 0;
    bool any_digit = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == end_of_file_mark) break;
        if (c == '#') {
            std::uint32_t radix = 16;
            if (any_digit) {
                if (decimal < 2 || decimal > 36) return rt::msg::radix_out_of_range;
                radix = static_cast<std::uint32_t>(decimal);
            }
            std::uint32_t pattern = 0;
            if (int error = convert_radix_digits(text.substr(i + 1), radix, pattern)) return error;
            if (negative) pattern = 0u - pattern;
            value = static_cast<std::int32_t>(pattern);
            return 0;
        }
        if (!is_digit(c)) return rt::msg::invalid_integer;
        if (decimal > 214748364) return rt::msg::integer_out_of_range;
        const std::int64_t next = static_cast<std::int64_t>(decimal) * 10 + (c - '0');
        if (next > INT32_MAX) return rt::msg::integer_out_of_range;
        decimal = static_cast<std::int32_t>(next);
        any_digit = true;
    }
    value = negative ? -decimal : decimal;
    return 0;
}

namespace {

constexpr int exponent_saturation = 5201;

constexpr bool is_exponent_letter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }
constexpr bool is_sign(char c) { return c == '+' || c == '-'; }
constexpr bool is_layout(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The parts of a real text, found by the grammar below.
struct RealText {
    bool negative = false;
    std::string_view integer_digits;
    std::string_view fraction_digits;
    bool exponent_negative = false;
    int exponent = 0;  // saturated
};

// sign? digits? ("." digits?)? exponent?, with at least one digit in the
// significand; exponent: letter sign? digits, or sign digits. Returns false
// when the text is not entirely such a number.
bool parse_real_text(std::string_view text, RealText& parts) {
    std::size_t i = 0;
    while (i < text.size() && is_layout(text[i])) ++i;
    if (i < text.size() && is_sign(text[i])) parts.negative = text[i++] == '-';

    std::size_t start = i;
    while (i < text.size() && is_digit(text[i])) ++i;
    parts.integer_digits = text.substr(start, i - start);
    if (i < text.size() && text[i] == '.') {
        start = ++i;
        while (i < text.size() && is_digit(text[i])) ++i;
        parts.fraction_digits = text.substr(start, i - start);
    }
    if (parts.integer_digits.empty() && parts.fraction_digits.empty()) return false;

    // An exponent is taken only when digits follow its letter and sign.
    std::size_t e = i;
    const bool letter = e < text.size() && is_exponent_letter(text[e]);
    if (letter) ++e;
    const bool sign = e < text.size() && is_sign(text[e]);
    if (sign) parts.exponent_negative = text[e++] == '-';
    if ((letter || sign) && e < text.size() && is_digit(text[e])) {
        int exponent = 0;
        for (; e < text.size() && is_digit(text[e]); ++e) {
            exponent = exponent * 10 + (text[e] - '0');
            if (exponent > exponent_saturation) exponent = exponent_saturation;
        }
        parts.exponent = exponent;
        i = e;
    } else {
        parts.exponent_negative = false;
    }
    return i == text.size();
}

// The decimal order of the leading non-zero digit (value = d.ddd × 10^order);
// nothing for a zero significand.
bool leading_order(const RealText& parts, long& order) {
    long k = 0;
    for (char c : parts.integer_digits) {
        if (c != '0') {
            order = static_cast<long>(parts.integer_digits.size()) - 1 - k;
            break;
        }
        ++k;
    }
    if (k == static_cast<long>(parts.integer_digits.size())) {
        long f = 0;
        for (; f < static_cast<long>(parts.fraction_digits.size()); ++f)
            if (parts.fraction_digits[static_cast<std::size_t>(f)] != '0') break;
        if (f == static_cast<long>(parts.fraction_digits.size())) return false;
        order = -1 - f;
    }
    order += parts.exponent_negative ? -parts.exponent : parts.exponent;
    return true;
}

}  // namespace

int convert_real(std::string_view text, double& value) {
    RealText parts;
    if (!parse_real_text(text, parts)) return rt::msg::invalid_real;

    // Rebuilt as digits "." digits "e" exponent for the correctly rounded
    // decimal-to-binary conversion of the standard library.
    std::string number;
    number.reserve(parts.integer_digits.size() + parts.fraction_digits.size() + 8);
    number += parts.integer_digits.empty() ? std::string_view("0") : parts.integer_digits;
    if (!parts.fraction_digits.empty()) {
        number += '.';
        number += parts.fraction_digits;
    }
    number += 'e';
    number += std::to_string(parts.exponent_negative ? -parts.exponent : parts.exponent);

    double magnitude = 0.0;
    const char* first = number.data();
    const DecimalReading reading = read_decimal(first, first + number.size(), magnitude);
    if (reading == DecimalReading::out_of_range) {
        long order = 0;
        if (leading_order(parts, order) && order >= 0) return rt::msg::real_out_of_range;
        magnitude = 0.0;  // below the smallest denormal
    } else if (reading != DecimalReading::value) {
        return rt::msg::invalid_real;
    }
    value = parts.negative ? -magnitude : magnitude;
    return 0;
}

}  // namespace io
