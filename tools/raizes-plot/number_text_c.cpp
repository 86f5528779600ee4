// The conversions of number_text.hpp through the C library, which converts
// exactly and rounds correctly as the C++ library does.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "number_text.hpp"

namespace plot {

namespace {

std::string printed(const char* format, int precision, double v) {
    char buffer[400];
    const int n = std::snprintf(buffer, sizeof buffer, format, precision, v);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool reads_back(const std::string& text, double v) { return std::strtod(text.c_str(), nullptr) == v; }

}  // namespace

std::string fixed_text(double v, int decimals) { return printed("%.*f", decimals, v); }

std::string scientific_text(double v, int decimals) { return printed("%.*e", decimals, v); }

std::string shortest_text(double v) {
    if (!std::isfinite(v)) return printed("%.*g", 0, v);
    // The fewest significant digits that read back, then the shorter of
    // the two forms with them.
    int digits = 1;
    while (digits < 17 && !reads_back(printed("%.*e", digits - 1, v), v)) ++digits;
    const std::string scientific = printed("%.*e", digits - 1, v);
    const int exponent = std::atoi(scientific.c_str() + scientific.find('e') + 1);
    const int decimals = exponent >= digits - 1 ? 0 : digits - 1 - exponent;
    std::string fixed = printed("%.*f", decimals, v);
    return fixed.size() <= scientific.size() ? fixed : scientific;
}

std::optional<double> read_scientific(std::string_view text) {
    const std::string whole(text);
    if (whole.find_first_of("eE") == std::string::npos) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(whole.c_str(), &end);
    if (end != whole.c_str() + whole.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace plot
