#pragma once
// The picture of one or more runs: the iterate against the iteration above,
// the change on a logarithmic scale below, one legend entry per run under
// both panels.
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "report.hpp"

namespace plot {

struct Run {
    Report report;
    std::string file_name;  // as shown, UTF-8
};

// Most points drawn for one series in one panel (plus its first and last).
inline constexpr std::size_t points_per_series = 2000;

// A linear axis: the data range widened to whole steps of 1, 2 or 5 times a
// power of ten, about `target` steps in all.
struct LinearAxis {
    double low, high, step;
};
LinearAxis nice_axis(double low, double high, int target, bool whole_numbers);

// Text of the legend entry of one run, UTF-8 (not yet escaped).
struct LegendText {
    std::string heading;  // method, inputs and how the run ended
    std::string details;  // order estimate, last iterate and its change
};
LegendText legend_text(const Report& report);

std::string render_svg(std::span<const Run> runs);

}  // namespace plot
