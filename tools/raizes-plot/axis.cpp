#include "axis.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "convergence.hpp"
#include "number_text.hpp"

namespace plot {

namespace {

constexpr double largest = std::numeric_limits<double>::max();
constexpr std::string_view minus = "\u2212";

// Below this many units in the last place a decimal step would be drawn at
// doubles too far from the values its labels name.
constexpr double fewest_ulps_per_decimal_step = 32;

// value = digits x 10^exponent, exactly.
struct Decimal {
    std::int64_t digits;
    int exponent;
};

double value_of(Decimal d) {
    return read_scientific(std::to_string(d.digits) + "e" + std::to_string(d.exponent)).value_or(0);
}

// The decimal exponent of the first digit of a value that is not zero.
int leading_exponent(Decimal d) {
    const std::string digits = std::to_string(d.digits < 0 ? -d.digits : d.digits);
    return static_cast<int>(digits.size()) - 1 + d.exponent;
}

std::string with_minus(std::string_view sign_and_text) {
    if (sign_and_text.empty() || sign_and_text.front() != '-') return std::string(sign_and_text);
    return std::string(minus) + std::string(sign_and_text.substr(1));
}

// "14.5", "0.0002", "120" with as many decimals as the step has.
std::string fixed_label(Decimal d, int decimals) {
    std::string digits = std::to_string(d.digits < 0 ? -d.digits : d.digits);
    if (d.exponent > 0 && d.digits != 0) digits.append(static_cast<std::size_t>(d.exponent), '0');
    const std::size_t fraction = static_cast<std::size_t>(decimals);
    if (digits.size() <= fraction) digits.insert(0, fraction + 1 - digits.size(), '0');
    std::string label = d.digits < 0 ? std::string(minus) : std::string();
    label.append(digits, 0, digits.size() - fraction);
    if (fraction > 0) label.append(1, '.').append(digits, digits.size() - fraction);
    return label;
}

// "1.5e308", "−2e−7": the digits without trailing zeros and their exponent.
std::string scientific_label(Decimal d) {
    if (d.digits == 0) return "0";
    std::string digits = std::to_string(d.digits < 0 ? -d.digits : d.digits);
    const int exponent = leading_exponent(d);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string label = d.digits < 0 ? std::string(minus) : std::string();
    label.append(digits, 0, 1);
    if (digits.size() > 1) label.append(1, '.').append(digits, 1);
    return label.append(1, 'e').append(with_minus(std::to_string(exponent)));
}

// The shortest text of a double, its exponent without '+' and leading zeros.
std::string shortest_label(double value) {
    std::string text = shortest_text(value);
    const std::size_t e = text.find('e');
    if (e != std::string::npos) {
        std::string exponent = text.substr(e + 1);
        const bool negative = exponent.front() == '-';
        exponent.erase(0, exponent.find_first_not_of("+-0"));
        text = text.substr(0, e + 1) + (negative ? "-" : "") + exponent;
    }
    std::string out;
    for (char c : text) out += c == '-' ? std::string(minus) : std::string(1, c);
    return out;
}

// high - low over the number of steps, without overflow.
double raw_step(double low, double high, int target) {
    const double span = high - low;
    if (std::isfinite(span)) return span / target;
    return (high * 0.5 - low * 0.5) / target * 2;
}

// Ticks at whole multiples k of `step` for k from `first` to `last` (both
// within a few steps of each other), their values from `value`; the axis
// ends at the first and last of them, or at the data where a multiple is
// beyond the largest double.
template <typename ValueOf, typename LabelOf>
Axis ticks_between(double low, double high, double first, double last, ValueOf value, LabelOf label) {
    Axis axis{low, high, {}};
    const auto k0 = static_cast<std::int64_t>(first);
    const int count = static_cast<int>(std::min<double>(last - first, most_ticks - 1));
    for (int i = 0; i <= count; ++i) {
        const std::int64_t k = k0 + i;
        const auto v = value(k);
        if (!v) continue;
        axis.low = std::min(axis.low, *v);
        axis.high = std::max(axis.high, *v);
        axis.ticks.push_back({*v, label(k)});
    }
    return axis;
}

Axis decimal_axis(double low, double high, double raw, bool whole_numbers) {
    int exponent = static_cast<int>(std::floor(std::log10(raw)));
    const double power = value_of({1, exponent});
    const double fraction = raw / power;
    std::int64_t m = fraction < 1.5 ? 1 : fraction < 3 ? 2 : fraction < 7 ? 5 : 10;
    if (m == 10) {
        m = 1;
        ++exponent;
    }
    if (whole_numbers && exponent < 0) {
        m = 1;
        exponent = 0;
    }
    const double step = value_of({m, exponent});
    const double first = std::floor(low / step), last = std::ceil(high / step);
    const auto decimal = [&](std::int64_t k) { return Decimal{k * m, exponent}; };
    const auto value = [&](std::int64_t k) -> std::optional<double> {
        if (std::isinf(static_cast<double>(k) * step)) return std::nullopt;
        return value_of(decimal(k));
    };
    // Fixed notation while the values have at most 15 digits before the point
    // and, for values below 1e-4, at most 5 after it.
    const double magnitude = std::max(std::fabs(low), std::fabs(high));
    const int decimals = std::max(0, -exponent);
    const bool fixed = magnitude < 1e15 && decimals <= (magnitude >= 1e-4 ? 17 : 5);
    const auto label = [&](std::int64_t k) {
        return fixed ? fixed_label(decimal(k), decimals) : scientific_label(decimal(k));
    };
    return ticks_between(low, high, first, last, value, label);
}

// Steps of whole units in the last place of the largest value: every tick is
// a double, named by its shortest text. These texts are long: fewer ticks.
Axis ulp_axis(double low, double high, double raw, double ulp) {
    const double units = 1.5 * raw / ulp;
    const double n = units < 1.5 ? 1 : units < 3 ? 2 : units < 7 ? 5 : units < 15 ? 10 : 20;
    const double step = n * ulp;
    const double first = std::floor(low / step), last = std::ceil(high / step);
    const auto value = [&](std::int64_t k) -> std::optional<double> {
        const double v = static_cast<double>(k) * step;
        if (std::isinf(v)) return std::nullopt;
        return v;
    };
    const auto label = [&](std::int64_t k) { return shortest_label(static_cast<double>(k) * step); };
    return ticks_between(low, high, first, last, value, label);
}

}  // namespace

Axis linear_axis(double low, double high, int target, bool whole_numbers) {
    if (!(high > low)) {
        const double pad = low == 0 ? 1 : std::max(std::fabs(low) * 1e-3, 4 * ulp_of(low));
        high = std::min(low + pad, largest);
        low = std::max(low - pad, -largest);
    }
    const double raw = raw_step(low, high, std::max(target, 1));
    const double ulp = ulp_of(std::max(std::fabs(low), std::fabs(high)));
    if (whole_numbers || raw >= fewest_ulps_per_decimal_step * ulp) return decimal_axis(low, high, raw, whole_numbers);
    return ulp_axis(low, high, raw, ulp);
}

double Scale::operator()(double value) const {
    const double span = high - low;
    const double fraction =
        std::isfinite(span) ? (value - low) / span : (value * 0.5 - low * 0.5) / (high * 0.5 - low * 0.5);
    return from + fraction * (to - from);
}

}  // namespace plot
