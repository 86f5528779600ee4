#include "number_text.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace plot {

namespace {

template <class... Format>
std::string converted(double v, Format... format) {
    std::array<char, 64> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v, format...);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::string fixed_text(double v, int decimals) { return converted(v, std::chars_format::fixed, decimals); }

std::string shortest_text(double v) { return converted(v); }

std::string scientific_text(double v, int decimals) { return converted(v, std::chars_format::scientific, decimals); }

std::optional<double> read_scientific(std::string_view text) {
    double value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::scientific);
    if (status != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace plot
