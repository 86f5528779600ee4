#include "convergence.hpp"

#include <cmath>
#include <limits>

namespace plot {

namespace {

// What the method compared with the tolerance before it wrote the last row,
// as the printed values give it, and how far that may lie from what the
// program compared.
struct Test {
    double value;
    double slack;
};

// A value computed from two printed values, each rounded to 16 digits.
double printed_slack(double a, double b) { return 1e-15 * std::fabs(a) + 1e-15 * std::fabs(b); }

std::optional<Test> last_test(const ReportHeader& header, const Row& last) {
    const std::vector<double>& values = header.header_values;
    if (last.change) {
        // The change of a row is the value its method tested, printed by the
        // same rounding as the tolerance, which keeps their order. Bisection
        // tests half the interval instead, which differs from the change of
        // its midpoint by the rounding of the midpoint.
        if (header.method != Method::bissecao) return Test{*last.change, 0};
        return Test{*last.change, 4 * ulp_of(last.iterate) + printed_slack(*last.change, header.tolerance)};
    }
    switch (header.method) {
        case Method::bissecao:
            return Test{(values[1] - values[0]) * 0.5, printed_slack(values[0], values[1])};
        case Method::falsa_posicao:
            return Test{std::fabs(last.iterate - values[1]), printed_slack(last.iterate, values[1])};
        case Method::ponto_fixo_simples:
            return Test{std::fabs(last.iterate - values[0]), printed_slack(last.iterate, values[0])};
        case Method::newton_raphson:
        case Method::secante: return std::nullopt;
    }
    return std::nullopt;
}

bool may_be_below(const Test& test, double tolerance) {
    if (test.value < tolerance) return true;
    return tolerance > 0 && test.value <= tolerance + test.slack;
}

// Either extreme of two neighbouring runs joined into one.
Outline::Extremes join(const Outline::Extremes& a, const Outline::Extremes& b) {
    Outline::Extremes joined = a;
    if (b.low.y < a.low.y) {
        joined.low = b.low;
        joined.low_at = b.low_at;
    }
    if (b.high.y >= a.high.y) {
        joined.high = b.high;
        joined.high_at = b.high_at;
    }
    return joined;
}

}  // namespace

double ulp_of(double x) {
    const double magnitude = std::fabs(x);
    if (!(magnitude >= std::numeric_limits<double>::min())) return std::numeric_limits<double>::denorm_min();
    return std::ldexp(1.0, std::ilogb(magnitude) - (std::numeric_limits<double>::digits - 1));
}

bool is_meaningful(double change, double iterate) { return change > meaningful_ulps * ulp_of(iterate); }

Ending ending_without_trailer(const ReportHeader& header, const Row& last) {
    const auto test = last_test(header, last);
    return test && may_be_below(*test, header.tolerance) ? Ending::converged : Ending::stopped;
}

void track_order(OrderTracker& t, const Row& row) {
    const std::uint64_t position = t.rows++;
    for (std::size_t i = 0; i + 1 < 3; ++i) {
        t.changes[i] = t.changes[i + 1];
        t.usable[i] = t.usable[i + 1];
    }
    t.usable[2] = row.change && is_meaningful(*row.change, row.iterate);
    t.changes[2] = row.change.value_or(0);
    if (!(t.usable[0] && t.usable[1] && t.usable[2])) return;
    const double e0 = t.changes[0], e1 = t.changes[1], e2 = t.changes[2];
    if (!(e0 > e1 && e1 > e2)) return;
    const double first = std::log(e1 / e0);
    if (!(first <= std::log(0.99))) return;
    const double order = std::log(e2 / e1) / first;
    if (std::isfinite(order)) t.estimate = OrderEstimate{order, position};
}

void add_point(Outline& o, SeriesPoint point) {
    constexpr std::size_t most_runs = points_per_series / 2;
    const std::uint64_t at = o.count++;
    if (at == 0) o.first = point;
    o.last = point;
    if (at / o.run_length >= most_runs) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < o.runs.size(); i += 2)
            o.runs[kept++] = i + 1 < o.runs.size() ? join(o.runs[i], o.runs[i + 1]) : o.runs[i];
        o.runs.resize(kept);
        o.run_length *= 2;
    }
    const std::uint64_t run = at / o.run_length;
    if (run == o.runs.size()) {
        o.runs.push_back({at, at, point, point});
        return;
    }
    Outline::Extremes& extremes = o.runs.back();
    if (point.y < extremes.low.y) {
        extremes.low = point;
        extremes.low_at = at;
    }
    if (point.y >= extremes.high.y) {
        extremes.high = point;
        extremes.high_at = at;
    }
}

std::vector<SeriesPoint> outline_points(const Outline& o) {
    std::vector<SeriesPoint> points;
    if (o.count == 0) return points;
    points.reserve(2 * o.runs.size() + 2);
    std::uint64_t last_at = 0;
    points.push_back(o.first);
    const auto keep = [&](std::uint64_t at, SeriesPoint point) {
        if (at == last_at) return;
        points.push_back(point);
        last_at = at;
    };
    for (const Outline::Extremes& run : o.runs) {
        if (run.low_at < run.high_at) {
            keep(run.low_at, run.low);
            keep(run.high_at, run.high);
        } else {
            keep(run.high_at, run.high);
            keep(run.low_at, run.low);
        }
    }
    keep(o.count - 1, o.last);
    return points;
}

}  // namespace plot
