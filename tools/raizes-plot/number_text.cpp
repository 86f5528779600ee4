#include "number_text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <system_error>

namespace plot {

namespace {

// Fixed notation of the largest double: a sign, 309 digits, the point and
// the decimals.
constexpr std::size_t text_capacity = 1 + 309 + 1 + 40 + 8;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The decimal exponent of a value out of range: of its first digit, from
// the digits before the point and the written exponent. Above zero the value
// is too large for a double, else too small.
bool too_large(std::string_view text) {
    const std::size_t e = text.find_first_of("eE");
    std::size_t integer_digits = 0;
    for (char c : text.substr(0, e)) {
        if (c == '.') break;
        if (is_digit(c)) ++integer_digits;
    }
    long long exponent = 0;
    std::string_view digits = text.substr(e + 1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
    for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 100000LL);
    return (negative ? -exponent : exponent) + static_cast<long long>(integer_digits) - 1 >= 0;
}

std::string text_of(char* begin, std::to_chars_result result) {
    if (result.ec != std::errc{}) return "?";
    return std::string(begin, result.ptr);
}

}  // namespace

std::optional<double> read_scientific(std::string_view text) {
    // from_chars takes no leading '+' and would take "inf" or "nan": only
    // digits, one point, one exponent letter and signs are let through.
    if (text.empty() || text.front() == '+') return std::nullopt;
    for (char c : text)
        if (!is_digit(c) && c != '.' && c != 'e' && c != 'E' && c != '-' && c != '+') return std::nullopt;
    double value = 0;
    const auto [end, status] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::scientific);
    if (end != text.data() + text.size()) return std::nullopt;
    if (status == std::errc::result_out_of_range) {
        const double magnitude = too_large(text) ? std::numeric_limits<double>::max() : 0.0;
        return text.front() == '-' ? -magnitude : magnitude;
    }
    if (status != std::errc{}) return std::nullopt;
    return value;
}

std::string fixed_text(double value, int decimals) {
    std::array<char, text_capacity> buffer{};
    return text_of(buffer.data(), std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                                std::chars_format::fixed, std::clamp(decimals, 0, 40)));
}

std::string shortest_text(double value) {
    std::array<char, 64> buffer{};
    return text_of(buffer.data(), std::to_chars(buffer.data(), buffer.data() + buffer.size(), value));
}

std::string scientific_text(double value, int decimals) {
    std::array<char, 64> buffer{};
    return text_of(buffer.data(), std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                                std::chars_format::scientific, std::clamp(decimals, 0, 17)));
}

}  // namespace plot
