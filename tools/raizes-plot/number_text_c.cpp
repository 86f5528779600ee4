// The conversions of number_text.hpp through the C library, for a C++
// library without floating-point conversions. printf and strtod convert
// exactly and round correctly, as the C++ library does, so the texts are the
// same.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "number_text.hpp"

namespace plot {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string printed(const char* format, int precision, double value) {
    char buffer[400];
    const int n = std::snprintf(buffer, sizeof buffer, format, precision, value);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof buffer) return "?";
    return std::string(buffer, static_cast<std::size_t>(n));
}

bool reads_back(const std::string& text, double value) { return std::strtod(text.c_str(), nullptr) == value; }

}  // namespace

std::optional<double> read_scientific(std::string_view text) {
    // Only the plain scientific form: digits, one point, an exponent letter
    // and its sign; strtod alone would also take "inf", hexadecimal and a
    // number without an exponent.
    if (text.empty() || text.front() == '+') return std::nullopt;
    const std::size_t e = text.find_first_of("eE");
    if (e == std::string_view::npos || e == 0) return std::nullopt;
    int points = 0;
    bool digits = false;
    for (std::size_t i = text.front() == '-' ? 1 : 0; i < e; ++i) {
        if (text[i] == '.') ++points;
        else if (is_digit(text[i])) digits = true;
        else return std::nullopt;
    }
    std::string_view exponent = text.substr(e + 1);
    if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+')) exponent.remove_prefix(1);
    if (!digits || points > 1 || exponent.empty() || !std::all_of(exponent.begin(), exponent.end(), is_digit))
        return std::nullopt;
    const std::string whole(text);
    errno = 0;
    const double value = std::strtod(whole.c_str(), nullptr);
    // Beyond the largest double: the largest of its sign; below the
    // smallest subnormal, strtod's zero of its sign stands.
    if (std::isinf(value)) return std::copysign(std::numeric_limits<double>::max(), value);
    return value;
}

std::string fixed_text(double value, int decimals) { return printed("%.*f", std::clamp(decimals, 0, 40), value); }

std::string scientific_text(double value, int decimals) {
    return printed("%.*e", std::clamp(decimals, 0, 17), value);
}

std::string shortest_text(double value) {
    if (!std::isfinite(value)) return printed("%.*g", 0, value);
    // The fewest significant digits that read back, then the shorter of the
    // two forms with them (the fixed one when they are as long).
    int digits = 1;
    while (digits < 17 && !reads_back(printed("%.*e", digits - 1, value), value)) ++digits;
    const std::string scientific = printed("%.*e", digits - 1, value);
    const int exponent = std::atoi(scientific.c_str() + scientific.find('e') + 1);
    const int decimals = exponent >= digits - 1 ? 0 : digits - 1 - exponent;
    const std::string fixed = printed("%.*f", decimals, value);
    return fixed.size() <= scientific.size() ? fixed : scientific;
}

}  // namespace plot
