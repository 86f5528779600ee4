#pragma once
// The one place where raizes-plot turns text into doubles and doubles into
// text. Nothing else calls the floating-point std::from_chars or
// std::to_chars, so that a platform without them needs only this file
// replaced.
#include <optional>
#include <string>
#include <string_view>

namespace plot {

// A number in the plain scientific form "[-]ddd[.ddd]e[+|-]ddd", rounded to
// the nearest double. A value beyond the largest double is taken as the
// largest double of its sign, one below the smallest as zero of its sign.
// Anything else is not a number.
std::optional<double> read_scientific(std::string_view text);

// A finite value with `decimals` digits after the point (at most 40).
std::string fixed_text(double value, int decimals);

// The shortest text that reads back as the same double ("14.5", "5e-324").
std::string shortest_text(double value);

// d.dd...e±dd with `decimals` digits after the point (at most 17).
std::string scientific_text(double value, int decimals);

}  // namespace plot
