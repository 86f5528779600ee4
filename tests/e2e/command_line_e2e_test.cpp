// The program's own options: --help and --version, each alone on the
// command line; every other argument stays a fallback file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "principal/command_line.hpp"
#include "support/run_program.hpp"

namespace {

TEST(Options, HelpAloneWritesTheUsageOnOneScreenAndReadsNothing) {
    auto run = e2e::run_program({.input = "1\nraiz\n12 16\n0.1\n10\n", .arguments = {"--help"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, principal::request_text(principal::Request::help));
    EXPECT_EQ(run.out.rfind("Usage: raizes [FILE]", 0), 0u) << run.out;
    for (const char* topic : {"0,1 is 0", "1e-6 = 1d-6 = 1-6", "2*7.5", "'meu arquivo'", ".bis.txt", "$COMSPEC",
                              "$VISUAL", "$PAGER"})
        EXPECT_NE(run.out.find(topic), std::string::npos) << topic;
    std::istringstream lines(run.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) EXPECT_LE(line.size(), 79u) << line;
    EXPECT_LE(count, 23);
    EXPECT_TRUE(std::filesystem::is_empty(run.directory));
}

TEST(Options, VersionAloneWritesTheBuildsVersion) {
    auto run = e2e::run_program({.arguments = {"--version"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "raizes " RAIZES_VERSION "\n");
}

// With a name left empty, the report takes the first argument as its name:
// an option that is not alone, or not spelled exactly, is such a name.
TEST(Options, AnyOtherArgumentsAreFallbackFileNames) {
    const std::vector<std::vector<std::string>> cases = {{"--help", "extra"}, {"-h"}, {"--HELP"}, {"--version", "x"}};
    for (const auto& arguments : cases) {
        auto run = e2e::run_program({.input = "1\n,\n12 16\n0.1\n10\n", .arguments = arguments});
        EXPECT_EQ(run.status, 0) << arguments[0];
        EXPECT_NE(run.out.find("Stop - Program terminated."), std::string::npos) << arguments[0];
        EXPECT_TRUE(e2e::file_exists(run.directory + "/" + arguments[0])) << arguments[0];
    }
}

}  // namespace
