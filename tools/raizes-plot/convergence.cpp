#include "convergence.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plot {

bool is_meaningful(double change, double iterate) {
    const double magnitude = std::fabs(iterate);
    const double ulp = std::nextafter(magnitude, std::numeric_limits<double>::infinity()) - magnitude;
    return change > meaningful_ulps * ulp;
}

std::optional<OrderEstimate> estimate_order(std::span<const Row> rows) {
    const auto usable = [&](std::size_t i) { return rows[i].change && is_meaningful(*rows[i].change, rows[i].iterate); };
    for (std::size_t end = rows.size(); end >= 3; --end) {
        const std::size_t k = end - 1;  // the row of e2, from the last row down
        if (!usable(k) || !usable(k - 1) || !usable(k - 2)) continue;
        const double e0 = *rows[k - 2].change, e1 = *rows[k - 1].change, e2 = *rows[k].change;
        if (!(e0 > e1 && e1 > e2)) continue;
        const double first = std::log(e1 / e0);
        if (first > std::log(0.99)) continue;
        return OrderEstimate{std::log(e2 / e1) / first, k};
    }
    return std::nullopt;
}

std::vector<std::size_t> thin_to_extremes(std::span<const double> values, std::size_t limit) {
    const std::size_t n = values.size();
    std::vector<std::size_t> kept;
    if (n <= std::max<std::size_t>(limit, 2)) {
        kept.resize(n);
        for (std::size_t i = 0; i < n; ++i) kept[i] = i;
        return kept;
    }
    const std::size_t runs = std::max<std::size_t>(limit / 2, 1);
    const std::size_t run_length = (n + runs - 1) / runs;
    kept.reserve(2 * runs + 2);
    kept.push_back(0);
    for (std::size_t start = 0; start < n; start += run_length) {
        const std::size_t end = std::min(n, start + run_length);
        std::size_t low = start, high = start;
        for (std::size_t i = start + 1; i < end; ++i) {
            if (values[i] < values[low]) low = i;
            if (values[i] > values[high]) high = i;
        }
        for (std::size_t i : {std::min(low, high), std::max(low, high)})
            if (i != kept.back()) kept.push_back(i);
    }
    if (kept.back() != n - 1) kept.push_back(n - 1);
    return kept;
}

}  // namespace plot
