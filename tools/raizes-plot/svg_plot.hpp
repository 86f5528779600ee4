#pragma once
// The picture of one or more runs: the iterate against the iteration above,
// the change on a logarithmic scale below, one legend entry per run under
// both panels.
#include <span>
#include <string>

#include "run_reading.hpp"

namespace plot {

struct Run {
    RunSummary summary;
    std::string file_name;  // as shown, UTF-8
};

// Text of the legend entry of one run, UTF-8 (not yet escaped).
struct LegendText {
    std::string heading;  // method, inputs and how the run ended
    std::string details;  // order estimate, last iterate and its change
};
LegendText legend_text(const RunSummary& run);

std::string render_svg(std::span<const Run> runs);

}  // namespace plot
