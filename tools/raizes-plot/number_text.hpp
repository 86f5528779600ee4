#pragma once
// Reals as text, the one place raizes-plot converts them: number_text.cpp
// with the C++ library's conversions, or number_text_c.cpp with the C
// library's, for a C++ library without floating-point ones (the web build).
#include <optional>
#include <string>
#include <string_view>

namespace plot {

// `decimals` digits after the point.
std::string fixed_text(double v, int decimals);
// The shortest text that reads back as v, fixed or scientific, whichever is
// shorter (fixed on a tie).
std::string shortest_text(double v);
// d.dd...e±xx with `decimals` digits after the point.
std::string scientific_text(double v, int decimals);

// The nearest double to a whole text [-]d.ddd...e±xx; nothing for any other
// text or a value outside the range of doubles.
std::optional<double> read_scientific(std::string_view text);

}  // namespace plot
