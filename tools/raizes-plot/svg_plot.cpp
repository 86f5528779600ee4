#include "svg_plot.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>

#include "axis.hpp"
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
    double left = 96, right = 956;  // plot area, both panels; left makes room for the labels
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

std::string number(double v, int decimals) {
    std::string text = fixed_text(v, decimals);
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-') text.erase(0, 1);
    return text;
}

std::string px(double v) { return number(v, 1); }

std::string minus_sign(std::string text) {
    if (!text.empty() && text.front() == '-') text.replace(0, 1, "\u2212");
    return text;
}

std::string three_digits(double v) { return v == 0 ? "0" : scientific_text(v, 2); }

std::int64_t iterations_of(const RunSummary& r) {
    if (r.header.nmax) return *r.header.nmax;
    return r.last.number - (r.header.method == Method::secante ? 1 : 0);
}

std::string inputs_text(const RunSummary& r) {
    const std::vector<double>& values = r.header.header_values;
    std::string text;
    switch (r.header.method) {
        case Method::bissecao:
        case Method::falsa_posicao:
            text = "[" + shortest_text(values[0]) + ", " + shortest_text(values[1]) + "]";
            break;
        case Method::ponto_fixo_simples: text = "p0 = " + shortest_text(values[0]); break;
        case Method::newton_raphson: text = "p0 = " + shortest_text(r.first_rows[0].iterate); break;
        case Method::secante:
            text = "p0 = " + shortest_text(r.first_rows[0].iterate);
            if (r.rows > 1) text += ", p1 = " + shortest_text(r.first_rows[1].iterate);
            break;
    }
    return text + ", tol " + shortest_text(r.header.tolerance);
}

std::string ending_text(const RunSummary& r) {
    const std::string last = std::to_string(r.last.number);
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
    svg += '>';
    svg += xml_escape(utf8);
    svg += "</text>\n";
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

void append_polyline(std::string& svg, const std::vector<SeriesPoint>& points, std::string_view colour,
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

// Width of a tick label of 12 pixels, about, and the room it needs.
constexpr double label_character = 7.5;

std::size_t characters(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

double widest_label(const Axis& axis) {
    std::size_t widest = 0;
    for (const Tick& tick : axis.ticks) widest = std::max(widest, characters(tick.label));
    return label_character * static_cast<double>(widest);
}

void append_x_ticks(std::string& svg, const Box& b, const Axis& axis, const Scale& x) {
    for (const Tick& tick : axis.ticks) {
        const double at = x(tick.value);
        append_line(svg, at, b.top, at, b.bottom, grid_style);
        append_line(svg, at, b.bottom, at, b.bottom + 5, tick_style);
        append_text(svg, at, b.bottom + 19, "middle", tick_font, tick.label);
    }
}

void append_y_ticks(std::string& svg, const Box& b, const Axis& axis, const Scale& y) {
    for (const Tick& tick : axis.ticks) {
        const double at = y(tick.value);
        append_line(svg, b.left, at, b.right, at, grid_style);
        append_line(svg, b.left - 5, at, b.left, at, tick_style);
        append_text(svg, b.left - 8, at + 4, "end", tick_font, tick.label);
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

void append_y_label(std::string& svg, const Box& b, double label_room, std::string_view utf8) {
    const double x = b.left - label_room - 26, y = (b.top + b.bottom) / 2;
    svg += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" text-anchor=\"middle\" font-size=\"14\" fill=\"#111\"" +
           " transform=\"rotate(-90 " + px(x) + " " + px(y) + ")\">" + xml_escape(utf8) + "</text>\n";
}

// The data of all runs together.
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
        const RunSummary& s = run.summary;
        r.last_row = std::max(r.last_row, s.last.number);
        r.low_iterate = std::min(r.low_iterate, s.low_iterate);
        r.high_iterate = std::max(r.high_iterate, s.high_iterate);
        if (s.high_change > 0) {
            r.low_change = std::min(r.low_change, s.low_change);
            r.high_change = std::max(r.high_change, s.high_change);
        }
    }
    return r;
}

std::string picture_title(std::span<const Run> runs) {
    if (runs.size() == 1) return runs.front().summary.header.title;
    return "Convergence of " + std::to_string(runs.size()) + " runs";
}

// A typed equation's line as shown: at most 110 characters (an expression
// is ASCII), the rest left out.
std::string shown_equation(const std::string& line) {
    constexpr std::size_t most = 110;
    return line.size() <= most ? line : line.substr(0, most - 1) + "\u2026";
}

// The equation every run solves, under the title: a typed one's f line (and
// for one run its g or df line), or nothing when the runs solve the
// built-in equation or differ.
std::string picture_equation(std::span<const Run> runs) {
    const std::vector<std::string>& first = runs.front().summary.header.equation;
    if (first.empty()) return {};
    for (const Run& run : runs) {
        const std::vector<std::string>& lines = run.summary.header.equation;
        if (lines.empty() || lines.front() != first.front()) return {};
    }
    if (runs.size() == 1 && first.size() > 1) return shown_equation(first[0]) + "; " + shown_equation(first[1]);
    return shown_equation(first.front());
}

std::vector<SeriesPoint> drawn(const Outline& outline, const Scale& x, const Scale& y) {
    std::vector<SeriesPoint> points = outline_points(outline);
    for (SeriesPoint& point : points) point = {x(point.x), y(point.y)};
    return points;
}

}  // namespace

LegendText legend_text(const RunSummary& r) {
    LegendText text;
    text.heading = r.header.method_name + " " + inputs_text(r) + " \u2014 " + ending_text(r);
    const auto& order = r.order.estimate;
    text.details = order ? "order \u2248 " + minus_sign(number(order->order, 2)) : "order: too few decreasing changes";
    const Row& last = r.last;
    text.details += " \u00B7 " + row_label(last.number) + " = " + minus_sign(shortest_text(last.iterate));
    if (last.change)
        text.details += " \u00B7 |" + row_label(last.number) + " \u2212 " + row_label(last.number - 1) +
                        "| = " + three_digits(*last.change);
    return text;
}

std::string render_svg(std::span<const Run> runs) {
    const Ranges ranges = ranges_of(runs);
    const Axis x_axis = linear_axis(0, static_cast<double>(ranges.last_row), 10, true);
    const Axis p_axis = linear_axis(ranges.low_iterate, ranges.high_iterate, 6, false);
    const double label_room = widest_label(p_axis);
    Layout l;
    l.left = std::max(l.left, label_room + 54);
    const Box top = top_box(l), bottom = bottom_box(l);
    const double legend_top = bottom.bottom + 72;
    const double height = legend_top + static_cast<double>(runs.size()) * l.legend_entry + 40;

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
    const std::string equation = picture_equation(runs);
    if (!equation.empty())
        append_text(svg, l.width / 2, l.title_y + 20, "middle", "font-size=\"13\" fill=\"#333\"", equation);

    // Grids and ticks first, the data over them.
    append_x_ticks(svg, top, x_axis, x);
    append_y_ticks(svg, top, p_axis, p);
    append_x_ticks(svg, bottom, x_axis, x);
    if (any_change) append_log_ticks(svg, bottom, low_decade, high_decade, e);
    else append_text(svg, (bottom.left + bottom.right) / 2, (bottom.top + bottom.bottom) / 2, "middle",
                     "font-size=\"14\" fill=\"#555\"", "no change above zero in any row");
    append_frame(svg, top);
    append_frame(svg, bottom);
    append_y_label(svg, top, label_room, "iterate p(i)");
    append_y_label(svg, bottom, 5 * label_character, "change |p(i) \u2212 p(i\u22121)|");
    append_text(svg, (bottom.left + bottom.right) / 2, bottom.bottom + 42, "middle", "font-size=\"14\" fill=\"#111\"",
                "iteration i");

    for (std::size_t s = 0; s < runs.size(); ++s) {
        const RunSummary& r = runs[s].summary;
        const std::string_view colour = colours[s % colours.size()];
        const std::string_view dash = dashes[s % dashes.size()];
        const Marker marker = markers[s % markers.size()];
        const bool marked = r.rows <= marked_rows;

        const std::vector<SeriesPoint> upper = drawn(r.iterates, x, p);
        const std::vector<SeriesPoint> lower = drawn(r.changes, x, e);
        svg += "<g>\n";
        append_polyline(svg, upper, colour, dash);
        append_polyline(svg, lower, colour, dash);
        if (marked) {
            for (const SeriesPoint& pt : upper) append_marker(svg, marker, pt.x, pt.y, colour);
            for (const SeriesPoint& pt : lower) append_marker(svg, marker, pt.x, pt.y, colour);
        }
        const Row& last = r.last;
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
        std::string heading = text.heading;
        if (equation.empty() && !r.header.equation.empty())
            heading += " \u00B7 " + shown_equation(r.header.equation.front());
        append_text(svg, sample_left + 52, y, "", "font-size=\"14\" fill=\"#111\"", heading);
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
