// raizes-plot run as a process: the picture of real reports is well-formed
// UTF-8 XML with few points per series, and every bad input ends with one
// line naming the file and the line, status 2 and no file written.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

#include "convergence.hpp"
#include "plot_support.hpp"
#include "support/run_program.hpp"
#include "svg_plot.hpp"
#include "text.hpp"

namespace {

using plot_test::files_in;
using plot_test::run_command;
using plot_test::run_plot;

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

// Reports of the real program at the edges of the doubles: a range of one
// unit in the last place, values near the largest double and among the
// subnormals, and a starting value printed above the largest double. Each is
// drawn, in bounded time, with no NaN, infinity or U+FFFD for a number.
TEST(PlotTool, ReportsAtTheEdgesOfTheDoublesAreDrawnWithReadableLabels) {
    const std::string dir = e2e::make_temp_dir();
    const struct {
        const char* dialogue;
        const char* report;
        const char* shown;
    } runs[] = {
        {"1\nulp\n9 9.000000000000004\n0\n4\n", "ulp.bis.txt", "[9, 9.000000000000004], tol 0"},
        {"1\nhuge\n1e300 2e300\n0\n40\n", "huge.bis.txt", "[1e+300, 2e+300]"},
        {"5\nhuge\n1e-10\n10\n1e100 2e100\n", "huge.sec.txt", "p0 = 1e+100, p1 = 2e+100"},
        {"1\nsub\n4.9e-324 2e-323\n0\n10\n", "sub.bis.txt", "[5e-324, 2e-323]"},
        {"3\nmax\n1e-10\n5\n1.7976931348623157e308\n", "max.pfs.txt", "p0 = 1.7976931348623157e+308"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.report);
        plot_test::write_report(run.dialogue, dir, run.report);
        const auto result = run_plot({run.report, "-o", "edge.svg"}, dir);
        ASSERT_EQ(result.status, 0) << result.err;
        expect_well_formed(dir, "edge.svg");
        const std::string svg = e2e::read_file(dir + "/edge.svg");
        EXPECT_NE(svg.find(run.shown), std::string::npos);
        for (const char* wrong : {"nan", "inf", "\xEF\xBF\xBD"}) EXPECT_EQ(svg.find(wrong), std::string::npos) << wrong;
    }
}

// A bisection report cut short by a full disk at the end of row 20, and a
// report named with U+FFFE, which XML cannot carry.
TEST(PlotTool, AReportCutByAFullDiskStoppedAndAnyNameGivesWellFormedXml) {
    const std::string dir = e2e::make_temp_dir();
    e2e::RunOptions full_disk{.input = "1\ncut\n12 16\n1e-10\n100\n", .directory = dir};
    const std::string whole = plot_test::write_report(full_disk.input, dir, "cut.bis.txt");
    full_disk.file_size_limit = static_cast<long long>(whole.find("\r\n   21 ")) + 2;
    EXPECT_EQ(e2e::run_program(full_disk).status, 1);
    std::filesystem::rename(dir + "/cut.bis.txt", dir + "/cut\xEF\xBF\xBE.bis.txt");
    const auto result = run_plot({"cut\xEF\xBF\xBE.bis.txt", "-o", "cut.svg"}, dir);
    ASSERT_EQ(result.status, 0) << result.err;
    expect_well_formed(dir, "cut.svg");
    const std::string svg = e2e::read_file(dir + "/cut.svg");
    EXPECT_NE(svg.find("stopped at row 20 without converging"), std::string::npos);
    EXPECT_NE(svg.find("cut\xEF\xBF\xBD.bis.txt"), std::string::npos);
}

long resident_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// An endless report through a FIFO: the memory of raizes-plot stays what it
// was after the first rows, and the picture of two million rows has few
// points.
TEST(PlotTool, AReportThroughAFifoIsReadInBoundedMemory) {
    const std::string dir = e2e::make_temp_dir();
    const std::string report = plot_test::write_report("1\nf\n12 16\n0\n1\n", dir, "f.bis.txt");
    ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0600), 0);
    const pid_t plot = plot_test::start_plot({"fifo", "-o", "fifo.svg"}, dir);
    std::FILE* fifo = std::fopen((dir + "/fifo").c_str(), "wb");
    ASSERT_NE(fifo, nullptr);
    std::fputs(report.substr(0, report.find("\r\n    1 ") + 2).c_str(), fifo);
    long after_first_rows = 0;
    for (int i = 1; i <= 2000000; ++i) {
        const std::string number = i < 100000 ? std::to_string(i) : "*****";
        std::fprintf(fifo, i == 1 ? "%5s%25.15E\r\n" : "%5s%25.15E%25.15E\r\n", number.c_str(),
                     14 + std::sin(i * 1e-3), 1 + std::cos(i * 1e-3));
        if (i == 200000) {
            std::fflush(fifo);
            after_first_rows = resident_kib(plot);
        }
    }
    std::fflush(fifo);
    const long after_all_rows = resident_kib(plot);
    std::fclose(fifo);
    EXPECT_EQ(plot_test::finish_command(plot), 0);
    EXPECT_GT(after_first_rows, 0);
    EXPECT_LT(after_all_rows - after_first_rows, 2048);
    const auto sizes = polyline_sizes(e2e::read_file(dir + "/fifo.svg"));
    ASSERT_EQ(sizes.size(), 2u);
    for (std::size_t n : sizes) EXPECT_LE(n, plot::points_per_series + 2);
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
    const std::size_t title_end = good.find("\r\n") + 2;
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
        {"cr.bis.txt", std::regex_replace(good, std::regex("\r\n"), "\r"), 1,
         "not a report: its lines end in CR alone"},
        {"utf16.bis.txt", "\xFF\xFES\0o\0l\0u\0\xE7\0\xE3\0o\0", 1, "not a report: the file is UTF-16 text"},
        {"wide.bis.txt", good.substr(0, in_row_9) + std::string(100, ' ') + good.substr(in_row_9),
         line_of_cut(good, in_row_9), "not a report: a line longer than 64 bytes"},
        // Only a line naming the equation, right after the title, is longer.
        {"f.bis.txt", good.substr(0, title_end) + "f(x) = " + std::string(1002, 'x') + good.substr(title_end), 2,
         "not a report: a line longer than 1009 bytes"},
        {"g.bis.txt", good.substr(0, title_end) + "g(x) = " + std::string(60, 'x') + good.substr(title_end), 2,
         "not a report: a line longer than 64 bytes"},
        {"late.bis.txt", good.substr(0, title_end + 2) + "f(x) = " + std::string(60, 'x') + good.substr(title_end + 2),
         3, "not a report: a line longer than 64 bytes"},
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

    // An endless input without line ends is refused at its first line.
    const auto zero = run_plot({"/dev/zero", "-o", "zero.svg"}, dir);
    EXPECT_EQ(zero.status, 2);
    EXPECT_EQ(zero.err, "raizes-plot: /dev/zero:1: not a report: the first line holds NUL bytes (UTF-16 text, or not "
                        "text at all)\n");

    // One bad report among good ones: no picture at all.
    const auto result = run_plot({"good.bis.txt", "row.bis.txt", "-o", "both.svg"}, dir);
    EXPECT_EQ(result.status, 2);
    EXPECT_FALSE(e2e::file_exists(dir + "/both.svg"));
}

}  // namespace
