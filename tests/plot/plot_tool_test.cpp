// raizes-plot run as a process: the picture of real reports is well-formed
// UTF-8 XML with few points per series, and every bad input ends with one
// line naming the file and the line, status 2 and no file written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "plot_support.hpp"
#include "support/run_program.hpp"
#include "svg_plot.hpp"
#include "text.hpp"

namespace {

using plot_test::run_command;
using plot_test::run_plot;

std::set<std::string> files_in(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) names.insert(entry.path().filename());
    return names;
}

void expect_well_formed(const std::string& directory, const std::string& svg) {
    const auto lint = run_command({"xmllint", "--noout", svg}, directory);
    ASSERT_NE(lint.status, 127) << "xmllint (Debian package libxml2-utils) is needed";
    EXPECT_EQ(lint.status, 0) << lint.err;
    const std::string bytes = e2e::read_file(directory + "/" + svg);
    EXPECT_TRUE(plot::is_utf8(bytes));
}

// The number of points of every polyline in the picture.
std::vector<std::size_t> polyline_sizes(const std::string& svg) {
    std::vector<std::size_t> sizes;
    const std::string key = "points=\"";
    for (std::size_t at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1)) {
        const std::size_t start = svg.find(key, at) + key.size();
        const std::size_t end = svg.find('"', start);
        sizes.push_back(static_cast<std::size_t>(std::count(svg.begin() + start, svg.begin() + end, ' ')) + 1);
    }
    return sizes;
}

TEST(PlotTool, FiveMethodsOnOnePicture) {
    const std::string dir = e2e::make_temp_dir();
    plot_test::write_report("1\nraiz\n12 16\n1e-10\n100\n", dir, "raiz.bis.txt");
    plot_test::write_report("2\nraiz\n12 16\n1e-10\n100\n", dir, "raiz.fp.txt");
    plot_test::write_report("3\nraiz\n1e-10\n100\n10\n", dir, "raiz.pfs.txt");
    plot_test::write_report("4\nraiz\n1e-10\n100\n10\n", dir, "raiz.new.txt");
    plot_test::write_report("5\nraiz\n1e-10\n100\n10 12\n", dir, "raiz.sec.txt");
    // A file name with characters XML must escape is shown in the legend.
    std::filesystem::rename(dir + "/raiz.bis.txt", dir + "/a&b<c>.bis.txt");

    const auto result =
        run_plot({"a&b<c>.bis.txt", "raiz.fp.txt", "raiz.pfs.txt", "raiz.new.txt", "raiz.sec.txt"}, dir);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "a&b<c>.bis.svg\n");
    expect_well_formed(dir, "a&b<c>.bis.svg");
    const std::string svg = e2e::read_file(dir + "/a&b<c>.bis.svg");
    for (const char* entry : {"bisse\xC3\xA7\xC3\xA3o [12, 16], tol 1e-10 \xE2\x80\x94 converged at row 36",
                              "falsa posi\xC3\xA7\xC3\xA3o [12, 16], tol 1e-10 \xE2\x80\x94 converged at row 12",
                              "ponto fixo simples p0 = 10, tol 1e-10 \xE2\x80\x94 converged at row 21",
                              "Newton-Raphson p0 = 10, tol 1e-10 \xE2\x80\x94 converged at row 5",
                              "secante p0 = 10, p1 = 12, tol 1e-10 \xE2\x80\x94 converged at row 7", "a&amp;b&lt;c&gt;.bis.txt"})
        EXPECT_NE(svg.find(entry), std::string::npos) << entry;
    // Each run's line in both panels; the first rows of a run have no change.
    EXPECT_EQ(polyline_sizes(svg), (std::vector<std::size_t>{36, 35, 12, 11, 21, 20, 6, 5, 8, 6}));
}

TEST(PlotTool, AReportOfMoreThanAHundredThousandRowsIsDrawnWithFewPoints) {
    const std::string dir = e2e::make_temp_dir();
    plot_test::write_report("1\nlong\n16 20\n0\n120000\n", dir, "long.bis.txt");
    const auto result = run_plot({"long.bis.txt", "-o", "long.svg"}, dir);
    ASSERT_EQ(result.status, 0) << result.err;
    expect_well_formed(dir, "long.svg");
    const std::string svg = e2e::read_file(dir + "/long.svg");
    EXPECT_NE(svg.find("failed: no convergence in 120000 iterations"), std::string::npos);
    const auto sizes = polyline_sizes(svg);
    ASSERT_EQ(sizes.size(), 2u);
    for (std::size_t n : sizes) EXPECT_LE(n, plot::points_per_series + 2);
}

TEST(PlotTool, HelpSaysWhatThePictureShowsOnOneScreen) {
    const std::string dir = e2e::make_temp_dir();
    for (const char* option : {"--help", "-h"}) {
        const auto result = run_plot({option}, dir);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out.rfind("usage: raizes-plot REPORT... [-o FILE.svg]\n\n", 0), 0u) << result.out;
        for (const char* topic : {"raiz.bis.svg", "logarithmic", "order of", "ring", "cross", "man raizes-plot"})
            EXPECT_NE(result.out.find(topic), std::string::npos) << topic;
        EXPECT_LE(std::count(result.out.begin(), result.out.end(), '\n'), 24);
        std::size_t start = 0;
        for (std::size_t end; (end = result.out.find('\n', start)) != std::string::npos; start = end + 1)
            EXPECT_LE(end - start, 79u) << result.out.substr(start, end - start);
        EXPECT_TRUE(files_in(dir).empty());
    }
}

struct BadInput {
    const char* name;
    std::string bytes;
    long long line;
    const char* message;
};

TEST(PlotTool, BadInputsEndWithOneLineStatusTwoAndNoPicture) {
    const std::string dir = e2e::make_temp_dir();
    const std::string good = plot_test::write_report("1\ngood\n12 16\n1e-10\n100\n", dir, "good.bis.txt");
    const std::string failed = plot_test::write_report("1\nfailed\n12 16\n1e-10\n3\n", dir, "failed.bis.txt");
    const auto line_of_cut = [](const std::string& bytes, std::size_t size) {
        return 1 + std::count(bytes.begin(), bytes.begin() + static_cast<long>(size), '\n');
    };
    const std::size_t in_tolerance = good.find("toler") + 10;
    const std::size_t in_row_9 = good.find("\r\n    9 ") + 20;
    std::size_t heading_end = good.find("Varia");
    heading_end = good.find("\r\n", heading_end) + 2;

    const BadInput cases[] = {
        {"empty.txt", "", 1, "empty file, not a report"},
        {"other.txt", "Iteração\r\n    1    1.4E+01\r\n", 1, "not a report"},
        {"header.bis.txt", good.substr(0, in_tolerance), line_of_cut(good, in_tolerance),
         "report cut off in its header"},
        {"row.bis.txt", good.substr(0, in_row_9), line_of_cut(good, in_row_9), "report cut off: table row 9"},
        {"norows.bis.txt", good.substr(0, heading_end), 11, "no table rows"},
        {"trailer.bis.txt", failed.substr(0, failed.size() - 12), line_of_cut(failed, failed.size() - 12),
         "report cut off in the failure line"},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.name);
        e2e::write_file(dir + "/" + bad.name, bad.bytes);
        const auto before = files_in(dir);
        const auto result = run_plot({bad.name}, dir);
        EXPECT_EQ(result.status, 2);
        const std::string prefix = "raizes-plot: " + std::string(bad.name) + ":" + std::to_string(bad.line) + ": ";
        EXPECT_EQ(result.err.rfind(prefix + bad.message, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(files_in(dir), before);
    }

    // One bad report among good ones: no picture at all.
    const auto result = run_plot({"good.bis.txt", "row.bis.txt", "-o", "both.svg"}, dir);
    EXPECT_EQ(result.status, 2);
    EXPECT_FALSE(e2e::file_exists(dir + "/both.svg"));
}

}  // namespace
