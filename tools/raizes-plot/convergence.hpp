#pragma once
// What the rows of a run say about its convergence, and how to draw a long
// series with few points.
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "report.hpp"

namespace plot {

// A change is meaningful while it stands above the rounding noise of the
// iterates: more than this many units in the last place of the iterate.
inline constexpr double meaningful_ulps = 16;

bool is_meaningful(double change, double iterate);

struct OrderEstimate {
    double order;
    std::size_t last_row;  // index into the rows of the last change used
};

// The empirical order q from three consecutive changes e0 > e1 > e2, all
// meaningful: q = ln(e2 / e1) / ln(e1 / e0), taken from the last such triple
// of the table. A triple whose first ratio is within 1 % of 1 says nothing
// about the order (a run that creeps or stalls) and is passed over.
std::optional<OrderEstimate> estimate_order(std::span<const Row> rows);

// Indices of the values to draw: all of them up to `limit`; past that, the
// series is cut into limit / 2 equal runs of consecutive values and each run
// keeps its smallest and its largest value (in their order), so the outline
// of the curve stays as drawn from every value. The first and the last value
// are always kept. At most limit + 2 indices, in increasing order.
std::vector<std::size_t> thin_to_extremes(std::span<const double> values, std::size_t limit);

}  // namespace plot
