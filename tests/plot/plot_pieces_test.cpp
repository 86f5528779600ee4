// The small pieces of raizes-plot whose faults the real reports would not
// show: the code page's upper control range, XML escaping, the field forms a
// report can hold but these runs do not write, the outline of a series and the
// axes of extreme ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "axis.hpp"
#include "convergence.hpp"
#include "report.hpp"
#include "text.hpp"

namespace {

TEST(PlotPieces, Windows1252BecomesUtf8AndXmlIsEscaped) {
    EXPECT_EQ(plot::windows1252_to_utf8("\x80\x81\x8A\x93\x94\x9F"),
              "\xE2\x82\xAC\xEF\xBF\xBD\xC5\xA0\xE2\x80\x9C\xE2\x80\x9D\xC5\xB8");
    EXPECT_EQ(plot::windows1252_to_utf8("Solu\xE7\xE3o \xA0\xFF"), "Solu\xC3\xA7\xC3\xA3o \xC2\xA0\xC3\xBF");
    EXPECT_EQ(plot::xml_escape("a&b<c>\"d'\x01\t"), "a&amp;b&lt;c&gt;&quot;d&apos;\xEF\xBF\xBD\t");
    // A file name in UTF-8 is kept; one in the report's code page is converted.
    EXPECT_EQ(plot::display_name("ra\xC3\xADz.bis.txt"), "ra\xC3\xADz.bis.txt");
    EXPECT_EQ(plot::display_name("ra\xEDz.bis.txt"), "ra\xC3\xADz.bis.txt");
    EXPECT_FALSE(plot::is_utf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(plot::is_utf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(plot::is_utf8("\xE2\x82"));          // cut short
    // Only characters XML allows: U+FFFE, U+FFFF and broken UTF-8 become U+FFFD.
    EXPECT_EQ(plot::xml_escape("a\xEF\xBF\xBE\xEF\xBF\xBF\xC3"), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(plot::utf8_to_windows1252("Solu\xC3\xA7\xC3\xA3o \xE2\x82\xAC"), "Solu\xE7\xE3o \x80");
    EXPECT_FALSE(plot::utf8_to_windows1252("\xE2\x86\x92").has_value());  // no arrow in the code page
}

TEST(PlotPieces, RealFieldsInEveryFormTheEditingWrites) {
    EXPECT_EQ(plot::parse_real_field("    1.000000000000000-100"), 1e-100);
    EXPECT_EQ(plot::parse_real_field("    1.000000000000000+300"), 1e300);
    EXPECT_EQ(plot::parse_real_field("   -3.250000000000000E-07"), -3.25e-7);
    EXPECT_EQ(plot::parse_real_field("    2.225073858507201-308"), 2.225073858507201e-308);
    EXPECT_EQ(plot::parse_real_field("    0.000000000000000E+00"), 0.0);
    EXPECT_EQ(plot::parse_real_field("    4.940656458412465-324"), std::numeric_limits<double>::denorm_min());
    // Above the largest double, as the program writes the largest double
    // itself: the largest double of that sign.
    EXPECT_EQ(plot::parse_real_field("    1.797693134862316+308"), std::numeric_limits<double>::max());
    EXPECT_EQ(plot::parse_real_field("   -9.999999999999999+999"), -std::numeric_limits<double>::max());
    EXPECT_EQ(plot::parse_real_field("    1.000000000000000-999"), 0.0);
    for (const char* bad : {"1#INF....................", "1#IND....................", "   1.000000000000000E+01 ",
                            "    1.00000000000000E+010", "    1.000000000000000E+1", "*************************",
                            "    1,000000000000000E+01", "   +1.000000000000000E+01"})
        EXPECT_FALSE(plot::parse_real_field(bad).has_value()) << bad;
    EXPECT_EQ(plot::parse_count_field("*****").kind, plot::CountField::Kind::overflow);
    EXPECT_EQ(plot::parse_count_field("  -42").value, -42);
    EXPECT_EQ(plot::parse_count_field(" 1 2 ").kind, plot::CountField::Kind::invalid);
}

// A single spike in a million values survives the outline; stride sampling
// would drop it.
TEST(PlotPieces, TheOutlineKeepsTheExtremesOfEveryRun) {
    plot::Outline outline;
    for (std::size_t i = 0; i < 1000000; ++i) {
        const double y = i == 123457 ? 50 : i == 654321 ? -50 : std::sin(static_cast<double>(i) * 1e-4);
        plot::add_point(outline, {static_cast<double>(i), y});
    }
    const auto kept = plot::outline_points(outline);
    EXPECT_LE(kept.size(), plot::points_per_series + 2);
    EXPECT_EQ(kept.front().x, 0);
    EXPECT_EQ(kept.back().x, 999999);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end(), [](auto a, auto b) { return a.x < b.x; }));
    for (double spike : {50.0, -50.0})
        EXPECT_NE(std::find_if(kept.begin(), kept.end(), [&](auto p) { return p.y == spike; }), kept.end());
    plot::Outline flat;  // up to the limit, every point
    for (int i = 0; i < 2000; ++i) plot::add_point(flat, {static_cast<double>(i), 1.0});
    EXPECT_EQ(plot::outline_points(flat).size(), 2000u);
}

// Any finite range gets an axis with finite ends, a few ticks inside it in
// increasing order, each label a number that names its tick.
TEST(PlotPieces, AxesOfAnyRangeHaveReadableLabels) {
    constexpr double largest = std::numeric_limits<double>::max();
    constexpr double tiny = std::numeric_limits<double>::denorm_min();
    const double ranges[][2] = {{12, 16}, {9, std::nextafter(9.0, 10.0)}, {9, 9.000000000000004},
                                {-largest, largest}, {largest, largest}, {1e300, 2e300}, {tiny, 4 * tiny},
                                {-tiny, tiny}, {0, 0}, {-3e-7, 2e-7}, {14.78, 14.78 + 3e-14}, {0, 120000}};
    for (const auto& range : ranges) {
        SCOPED_TRACE(std::to_string(range[0]) + " " + std::to_string(range[1]));
        const plot::Axis axis = plot::linear_axis(range[0], range[1], 6, false);
        EXPECT_TRUE(std::isfinite(axis.low) && std::isfinite(axis.high) && axis.low < axis.high);
        EXPECT_TRUE(axis.low <= range[0] && axis.high >= range[1]);
        EXPECT_TRUE(axis.ticks.size() >= 2 && axis.ticks.size() <= 12) << axis.ticks.size();
        for (std::size_t i = 0; i < axis.ticks.size(); ++i) {
            const plot::Tick& tick = axis.ticks[i];
            if (i > 0) {
                EXPECT_LT(axis.ticks[i - 1].value, tick.value);
            }
            std::string text = tick.label;
            for (std::size_t at; (at = text.find("\u2212")) != std::string::npos;) text.replace(at, 3, "-");
            EXPECT_EQ(text.find_first_not_of("0123456789.-e"), std::string::npos) << tick.label;
            char* end = nullptr;
            const double named = std::strtod(text.c_str(), &end);
            EXPECT_EQ(*end, '\0') << tick.label;
            EXPECT_LE(std::fabs(named - tick.value), 1e-12 * std::fabs(tick.value) + 2 * tiny) << tick.label;
        }
    }
}

}  // namespace
