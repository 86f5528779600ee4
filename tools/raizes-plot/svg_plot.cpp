#include "svg_plot.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>

#include "convergence.hpp"
#include "number_text.hpp"
#include "text.hpp"

namespace plot {

namespace {

// Colours that stay apart for colour-blind readers, each with its own dash
// and marker so that a grey print still tells the series apart.
constexpr std::array<std::string_view, 7> colours = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                                      "#E69F00", "#56B4E9", "#000000"};
constexpr std::array<std::string_view, 5> dashes = {"", "8 3", "2 2.5", "9 3 2 3", "4 2"};
enum class Marker { circle, square, triangle_up, diamond, triangle_down };
constexpr std::array<Marker, 5> markers = {Marker::circle, Marker::square, Marker::triangle_up, Marker::diamond,
                                           Marker::triangle_down};

// Series with at most this many rows show a marker at every row.
constexpr std::size_t marked_rows = 80;

constexpr std::string_view font = "DejaVu Sans, Liberation Sans, Arial, Helvetica, sans-serif";

// The page, in pixels.
struct Layout {
    double width = 1000;
    double left = 96, right = 956;  // plot area, both panels
    double title_y = 34;
    double top_panel = 64, panel_height = 290, panel_gap = 56;
    double inset = 10;  // data keep this far from the frame
    double legend_line = 18, legend_entry = 46;
};

struct Box {
    double left, top, right, bottom;
};

Box top_box(const Layout& l) { return {l.left, l.top_panel, l.right, l.top_panel + l.panel_height}; }
Box bottom_box(const Layout& l) {
    const double top = l.top_panel + l.panel_height + l.panel_gap;
    return {l.left, top, l.right, top + l.panel_height};
}

// Maps a value of [low, high] onto [from, to] (pixels).
struct Scale {
    double low, high, from, to;
    double operator()(double v) const { return from + (v - low) / (high - low) * (to - from); }
};

std::string number(double v, int decimals) {
    std::string text = fixed_text(v, decimals);
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-') text.erase(0, 1);
    return text;
}

std::string px(double v) { return number(v, 1); }

std::string shortest(double v) { return shortest_text(v); }

std::string three_digits(double v) {
    if (v == 0) return "0";
    return scientific_text(v, 2);
}

int decimals_for(double step) { return std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9))); }

std::string minus_sign(std::string text) {
    if (!text.empty() && text.front() == '-') text.replace(0, 1, "\u2212");
    return text;
}

std::int64_t iterations_of(const Report& r) {
    if (r.nmax) return *r.nmax;
    return r.rows.back().number - (r.method == Method::secante ? 1 : 0);
}

std::string inputs_text(const Report& r) {
    std::string text;
    switch (r.method) {
        case Method::bissecao:
        case Method::falsa_posicao:
            text = "[" + shortest(r.header_values[0]) + ", " + shortest(r.header_values[1]) + "]";
            break;
        case Method::ponto_fixo_simples: text = "p0 = " + shortest(r.header_values[0]); break;
        case Method::newton_raphson: text = "p0 = " + shortest(r.rows[0].iterate); break;
        case Method::secante:
            text = "p0 = " + shortest(r.rows[0].iterate);
            if (r.rows.size() > 1) text += ", p1 = " + shortest(r.rows[1].iterate);
            break;
    }
    return text + ", tol " + shortest(r.tolerance);
}

std::string ending_text(const Report& r) {
    const std::string last = std::to_string(r.rows.back().number);
    switch (r.ending) {
        case Ending::converged: return "converged at row " + last;
        case Ending::failed: return "failed: no convergence in " + std::to_string(iterations_of(r)) + " iterations";
        case Ending::stopped: return "stopped at row " + last + " without converging (no failure line)";
    }
    return {};
}

std::string row_label(std::int64_t n) { return "p(" + std::to_string(n) + ")"; }

void append_text(std::string& svg, double x, double y, std::string_view anchor, std::string_view attributes,
                 std::string_view utf8) {
    svg += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\"";
    if (!anchor.empty()) svg += " text-anchor=\"" + std::string(anchor) + "\"";
    if (!attributes.empty()) svg += " " + std::string(attributes);
    svg += ">" + xml_escape(utf8) + "</text>\n";
}

void append_line(std::string& svg, double x1, double y1, double x2, double y2, std::string_view style) {
    svg += "<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" + px(y2) + "\" " +
           std::string(style) + "/>\n";
}

void append_marker(std::string& svg, Marker m, double x, double y, std::string_view colour) {
    const std::string fill = " fill=\"" + std::string(colour) + "\"/>\n";
    const auto point = [](double px_, double py_) { return px(px_) + "," + px(py_); };
    switch (m) {
        case Marker::circle: svg += "<circle cx=\"" + px(x) + "\" cy=\"" + px(y) + "\" r=\"3.4\"" + fill; break;
        case Marker::square:
            svg += "<rect x=\"" + px(x - 3) + "\" y=\"" + px(y - 3) + "\" width=\"6\" height=\"6\"" + fill;
            break;
        case Marker::triangle_up:
            svg += "<polygon points=\"" + point(x, y - 4.2) + " " + point(x + 3.8, y + 2.6) + " " +
                   point(x - 3.8, y + 2.6) + "\"" + fill;
            break;
        case Marker::diamond:
            svg += "<polygon points=\"" + point(x, y - 4.4) + " " + point(x + 4, y) + " " + point(x, y + 4.4) + " " +
                   point(x - 4, y) + "\"" + fill;
            break;
        case Marker::triangle_down:
            svg += "<polygon points=\"" + point(x, y + 4.2) + " " + point(x + 3.8, y - 2.6) + " " +
                   point(x - 3.8, y - 2.6) + "\"" + fill;
            break;
    }
}

// The ring of a converged run, the cross of one that did not converge.
void append_end_mark(std::string& svg, Ending ending, double x, double y, std::string_view colour) {
    const std::string stroke = "stroke=\"" + std::string(colour) + "\" stroke-width=\"2\"";
    if (ending == Ending::converged) {
        svg += "<circle cx=\"" + px(x) + "\" cy=\"" + px(y) + "\" r=\"7.5\" fill=\"none\" " + stroke + "/>\n";
    } else {
        append_line(svg, x - 6, y - 6, x + 6, y + 6, stroke);
        append_line(svg, x - 6, y + 6, x + 6, y - 6, stroke);
    }
}

struct Point {
    double x, y;
};

void append_polyline(std::string& svg, const std::vector<Point>& points, std::string_view colour,
                     std::string_view dash) {
    if (points.empty()) return;
    svg += "<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" stroke-width=\"1.8\"";
    if (!dash.empty()) svg += " stroke-dasharray=\"" + std::string(dash) + "\"";
    svg += " stroke-linejoin=\"round\" points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i) svg += ' ';
        svg += px(points[i].x) + "," + px(points[i].y);
    }
    svg += "\"/>\n";
}

void append_frame(std::string& svg, const Box& b) {
    svg += "<rect x=\"" + px(b.left) + "\" y=\"" + px(b.top) + "\" width=\"" + px(b.right - b.left) + "\" height=\"" +
           px(b.bottom - b.top) + "\" fill=\"none\" stroke=\"#333\" stroke-width=\"1\"/>\n";
}

constexpr std::string_view grid_style = "stroke=\"#d9d9d9\" stroke-width=\"1\"";
constexpr std::string_view tick_style = "stroke=\"#333\" stroke-width=\"1\"";
constexpr std::string_view tick_font = "font-size=\"12\" fill=\"#222\"";

void append_x_ticks(std::string& svg, const Box& b, const LinearAxis& axis, const Scale& x, bool labels) {
    const int decimals = decimals_for(axis.step);
    for (double t = axis.low; t <= axis.high + axis.step * 1e-6; t += axis.step) {
        const double at = x(t);
        append_line(svg, at, b.top, at, b.bottom, grid_style);
        append_line(svg, at, b.bottom, at, b.bottom + 5, tick_style);
        if (labels) append_text(svg, at, b.bottom + 19, "middle", tick_font, number(t, decimals));
    }
}

void append_y_ticks(std::string& svg, const Box& b, const LinearAxis& axis, const Scale& y) {
    const int decimals = decimals_for(axis.step);
    for (double t = axis.low; t <= axis.high + axis.step * 1e-6; t += axis.step) {
        const double at = y(t);
        append_line(svg, b.left, at, b.right, at, grid_style);
        append_line(svg, b.left - 5, at, b.left, at, tick_style);
        append_text(svg, b.left - 8, at + 4, "end", tick_font, minus_sign(number(t, decimals)));
    }
}

// Decades from 10^low to 10^high, labelled as powers of ten.
void append_log_ticks(std::string& svg, const Box& b, int low, int high, const Scale& y) {
    const int every = std::max(1, (high - low + 9) / 10);
    for (int e = low; e <= high; ++e) {
        const double at = y(e);
        const bool major = (e - low) % every == 0;
        append_line(svg, b.left, at, b.right, at, major ? grid_style : "stroke=\"#eeeeee\" stroke-width=\"1\"");
        if (!major) continue;
        append_line(svg, b.left - 5, at, b.left, at, tick_style);
        svg += "<text x=\"" + px(b.left - 8) + "\" y=\"" + px(at + 4) +
               "\" text-anchor=\"end\" font-size=\"12\" fill=\"#222\">10<tspan dy=\"-6\" font-size=\"9\">" +
               xml_escape(minus_sign(std::to_string(e))) + "</tspan></text>\n";
    }
}

void append_y_label(std::string& svg, const Box& b, std::string_view utf8) {
    const double x = b.left - 62, y = (b.top + b.bottom) / 2;
    svg += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" text-anchor=\"middle\" font-size=\"14\" fill=\"#111\"" +
           " transform=\"rotate(-90 " + px(x) + " " + px(y) + ")\">" + xml_escape(utf8) + "</text>\n";
}

struct Ranges {
    std::int64_t last_row = 1;
    double low_iterate = std::numeric_limits<double>::infinity();
    double high_iterate = -std::numeric_limits<double>::infinity();
    double low_change = std::numeric_limits<double>::infinity();
    double high_change = 0;
};

Ranges ranges_of(std::span<const Run> runs) {
    Ranges r;
    for (const Run& run : runs) {
        for (const Row& row : run.report.rows) {
            r.last_row = std::max(r.last_row, row.number);
            r.low_iterate = std::min(r.low_iterate, row.iterate);
            r.high_iterate = std::max(r.high_iterate, row.iterate);
            if (row.change && *row.change > 0) {
                r.low_change = std::min(r.low_change, *row.change);
                r.high_change = std::max(r.high_change, *row.change);
            }
        }
    }
    return r;
}

std::string picture_title(std::span<const Run> runs) {
    if (runs.size() == 1) return runs.front().report.title;
    return "Convergence of " + std::to_string(runs.size()) + " runs";
}

}  // namespace

LinearAxis nice_axis(double low, double high, int target, bool whole_numbers) {
    if (!(high > low)) {
        const double pad = low != 0 ? std::fabs(low) * 1e-3 : 1;
        low -= pad;
        high += pad;
    }
    const double raw = (high - low) / std::max(target, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / power;
    double step = (fraction < 1.5 ? 1 : fraction < 3 ? 2 : fraction < 7 ? 5 : 10) * power;
    if (whole_numbers) step = std::max(1.0, std::round(step));
    return {std::floor(low / step + 1e-9) * step, std::ceil(high / step - 1e-9) * step, step};
}

LegendText legend_text(const Report& r) {
    LegendText text;
    text.heading = r.method_name + " " + inputs_text(r) + " \u2014 " + ending_text(r);
    const auto order = estimate_order(r.rows);
    text.details = order ? "order \u2248 " + number(order->order, 2) : "order: too few decreasing changes";
    const Row& last = r.rows.back();
    text.details += " \u00B7 " + row_label(last.number) + " = " + minus_sign(shortest(last.iterate));
    if (last.change)
        text.details += " \u00B7 |" + row_label(last.number) + " \u2212 " + row_label(last.number - 1) +
                        "| = " + three_digits(*last.change);
    return text;
}

std::string render_svg(std::span<const Run> runs) {
    const Layout l;
    const Box top = top_box(l), bottom = bottom_box(l);
    const Ranges ranges = ranges_of(runs);
    const double legend_top = bottom.bottom + 72;
    const double height = legend_top + static_cast<double>(runs.size()) * l.legend_entry + 40;

    const LinearAxis x_axis = nice_axis(0, static_cast<double>(ranges.last_row), 10, true);
    const LinearAxis p_axis = nice_axis(ranges.low_iterate, ranges.high_iterate, 6, false);
    const bool any_change = ranges.high_change > 0;
    const int low_decade = any_change ? static_cast<int>(std::floor(std::log10(ranges.low_change))) : -1;
    const int high_decade =
        any_change ? std::max(low_decade + 1, static_cast<int>(std::ceil(std::log10(ranges.high_change)))) : 0;

    const Scale x{x_axis.low, x_axis.high, top.left + l.inset, top.right - l.inset};
    const Scale p{p_axis.low, p_axis.high, top.bottom - l.inset, top.top + l.inset};
    const Scale e{static_cast<double>(low_decade), static_cast<double>(high_decade), bottom.bottom - l.inset,
                  bottom.top + l.inset};

    std::string svg;
    svg.reserve(64 * 1024);
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(l.width) + "\" height=\"" + px(height) +
           "\" viewBox=\"0 0 " + px(l.width) + " " + px(height) + "\" font-family=\"" + std::string(font) + "\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    append_text(svg, l.width / 2, l.title_y, "middle", "font-size=\"19\" font-weight=\"bold\" fill=\"#111\"",
                picture_title(runs));

    // Grids and ticks first, the data over them.
    append_x_ticks(svg, top, x_axis, x, true);
    append_y_ticks(svg, top, p_axis, p);
    append_x_ticks(svg, bottom, x_axis, x, true);
    if (any_change) append_log_ticks(svg, bottom, low_decade, high_decade, e);
    else append_text(svg, (bottom.left + bottom.right) / 2, (bottom.top + bottom.bottom) / 2, "middle",
                     "font-size=\"14\" fill=\"#555\"", "no change above zero in any row");
    append_frame(svg, top);
    append_frame(svg, bottom);
    append_y_label(svg, top, "iterate p(i)");
    append_y_label(svg, bottom, "change |p(i) \u2212 p(i\u22121)|");
    append_text(svg, (bottom.left + bottom.right) / 2, bottom.bottom + 42, "middle", "font-size=\"14\" fill=\"#111\"",
                "iteration i");

    for (std::size_t s = 0; s < runs.size(); ++s) {
        const Report& r = runs[s].report;
        const std::string_view colour = colours[s % colours.size()];
        const std::string_view dash = dashes[s % dashes.size()];
        const Marker marker = markers[s % markers.size()];
        const bool marked = r.rows.size() <= marked_rows;

        std::vector<double> iterates(r.rows.size());
        for (std::size_t i = 0; i < r.rows.size(); ++i) iterates[i] = r.rows[i].iterate;
        std::vector<Point> upper;
        for (std::size_t i : thin_to_extremes(iterates, points_per_series))
            upper.push_back({x(static_cast<double>(r.rows[i].number)), p(r.rows[i].iterate)});

        std::vector<std::size_t> with_change;
        std::vector<double> logs;
        for (std::size_t i = 0; i < r.rows.size(); ++i) {
            if (r.rows[i].change && *r.rows[i].change > 0) {
                with_change.push_back(i);
                logs.push_back(std::log10(*r.rows[i].change));
            }
        }
        std::vector<Point> lower;
        for (std::size_t k : thin_to_extremes(logs, points_per_series))
            lower.push_back({x(static_cast<double>(r.rows[with_change[k]].number)), e(logs[k])});

        svg += "<g>\n";
        append_polyline(svg, upper, colour, dash);
        append_polyline(svg, lower, colour, dash);
        if (marked) {
            for (const Point& pt : upper) append_marker(svg, marker, pt.x, pt.y, colour);
            for (const Point& pt : lower) append_marker(svg, marker, pt.x, pt.y, colour);
        }
        const Row& last = r.rows.back();
        append_end_mark(svg, r.ending, x(static_cast<double>(last.number)), p(last.iterate), colour);
        if (last.change && *last.change > 0)
            append_end_mark(svg, r.ending, x(static_cast<double>(last.number)), e(std::log10(*last.change)), colour);
        svg += "</g>\n";

        // The legend entry: a sample of the line with its marker, two lines
        // of text.
        const double y = legend_top + static_cast<double>(s) * l.legend_entry;
        const double sample_left = l.left;
        std::string sample_style = "stroke=\"" + std::string(colour) + "\" stroke-width=\"1.8\"";
        if (!dash.empty()) sample_style += " stroke-dasharray=\"" + std::string(dash) + "\"";
        append_line(svg, sample_left, y - 4, sample_left + 40, y - 4, sample_style);
        append_marker(svg, marker, sample_left + 20, y - 4, colour);
        const LegendText text = legend_text(r);
        append_text(svg, sample_left + 52, y, "", "font-size=\"14\" fill=\"#111\"", text.heading);
        append_text(svg, sample_left + 52, y + l.legend_line, "", "font-size=\"13\" fill=\"#333\"",
                    text.details + " \u00B7 " + runs[s].file_name);
    }

    const double note_y = legend_top + static_cast<double>(runs.size()) * l.legend_entry + 4;
    constexpr std::string_view note_style = "font-size=\"12\" fill=\"#555\"";
    append_text(svg, l.left, note_y, "", note_style,
                "Ring: the row where a run converged. Cross: the last row of a run that did not converge.");
    append_text(svg, l.left, note_y + 16, "", note_style,
                "Order: ln(e2/e1) / ln(e1/e0) from the last three decreasing changes above 16 units in the last "
                "place of the iterate.");
    svg += "</svg>\n";
    return svg;
}

}  // namespace plot
