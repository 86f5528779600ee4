#pragma once
// What the rows of a run say about its convergence, read one row at a time:
// how it ended, its order, and the outline of a long series in few points.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "report.hpp"

namespace plot {

// The distance from |x| to the next double away from zero (finite for the
// largest double; the smallest subnormal below the normal range).
double ulp_of(double x);

// A change is meaningful while it stands above the rounding noise of the
// iterates: more than this many units in the last place of the iterate.
inline constexpr double meaningful_ulps = 16;

bool is_meaningful(double change, double iterate);

// How a run without the failure line ended: converged when the last row may
// have met the method's test against the tolerance, as far as the printed
// values tell, else stopped. The test is the written change; in the first row,
// which shows none, the change is taken from the header (bisection: half the
// interval, with its sign); a row that no test precedes (row 0 of
// Newton-Raphson, rows 0 and 1 of the secant) has not converged.
Ending ending_without_trailer(const ReportHeader& header, const Row& last);

struct OrderEstimate {
    double order;
    std::uint64_t last_row;  // position in the table of the last change used
};

// The empirical order q from three consecutive changes e0 > e1 > e2, all
// meaningful: q = ln(e2 / e1) / ln(e1 / e0), taken from the last such triple
// of the table. A triple whose first ratio is within 1 % of 1 says nothing
// about the order (a run that creeps or stalls) and is passed over.
struct OrderTracker {
    std::uint64_t rows = 0;
    std::array<double, 3> changes{};  // of the last three rows, the latest last
    std::array<bool, 3> usable{};
    std::optional<OrderEstimate> estimate;
};
void track_order(OrderTracker& tracker, const Row& row);

// Most points kept of one series (plus its first and last).
inline constexpr std::size_t points_per_series = 2000;

struct SeriesPoint {
    double x, y;
};

// The outline of a series of any length in at most points_per_series + 2
// points: every point while there are no more; past that, the series is cut
// into at most points_per_series / 2 runs of equal length (a power of two) of
// consecutive points, and each run keeps its lowest point (the first of
// equals) and its highest (the last of equals), in their order, so the curve
// looks as drawn from every point. The first and the last point are always
// kept.
struct Outline {
    struct Extremes {
        std::uint64_t low_at, high_at;
        SeriesPoint low, high;
    };
    std::vector<Extremes> runs;
    std::uint64_t run_length = 1;
    std::uint64_t count = 0;
    SeriesPoint first{}, last{};
};
void add_point(Outline& outline, SeriesPoint point);
std::vector<SeriesPoint> outline_points(const Outline& outline);

}  // namespace plot
