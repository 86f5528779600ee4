// The small pieces of raizes-plot whose faults the real reports would not
// show: the code page's upper control range, XML escaping, the field forms a
// report can hold but these runs do not write, and the thinning of a series.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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
}

TEST(PlotPieces, RealFieldsInEveryFormTheEditingWrites) {
    EXPECT_EQ(plot::parse_real_field("    1.000000000000000-100"), 1e-100);
    EXPECT_EQ(plot::parse_real_field("    1.000000000000000+300"), 1e300);
    EXPECT_EQ(plot::parse_real_field("   -3.250000000000000E-07"), -3.25e-7);
    EXPECT_EQ(plot::parse_real_field("    2.225073858507201-308"), 2.225073858507201e-308);
    EXPECT_EQ(plot::parse_real_field("    0.000000000000000E+00"), 0.0);
    for (const char* bad : {"1#INF....................", "1#IND....................", "   1.000000000000000E+01 ",
                            "    1.00000000000000E+010", "    1.000000000000000E+1", "*************************",
                            "    1,000000000000000E+01", "   +1.000000000000000E+01"})
        EXPECT_FALSE(plot::parse_real_field(bad).has_value()) << bad;
    EXPECT_EQ(plot::parse_count_field("*****").kind, plot::CountField::Kind::overflow);
    EXPECT_EQ(plot::parse_count_field("  -42").value, -42);
    EXPECT_EQ(plot::parse_count_field(" 1 2 ").kind, plot::CountField::Kind::invalid);
}

// A single spike in a million values survives thinning; stride sampling
// would drop it.
TEST(PlotPieces, ThinningKeepsTheExtremesOfEveryRun) {
    std::vector<double> values(1000000);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = std::sin(static_cast<double>(i) * 1e-4);
    values[123457] = 50;
    values[654321] = -50;
    const auto kept = plot::thin_to_extremes(values, 2000);
    EXPECT_LE(kept.size(), 2002u);
    EXPECT_EQ(kept.front(), 0u);
    EXPECT_EQ(kept.back(), values.size() - 1);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    EXPECT_NE(std::find(kept.begin(), kept.end(), 123457u), kept.end());
    EXPECT_NE(std::find(kept.begin(), kept.end(), 654321u), kept.end());
    EXPECT_EQ(plot::thin_to_extremes(std::vector<double>(1500, 1.0), 2000).size(), 1500u);
}

}  // namespace
