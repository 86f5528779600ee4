// The program's own options: --help and --version, each alone on the
// command line; the equation's --f, --g and --df, taken out wherever they
// stand; every other argument stays a fallback file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "principal/command_line.hpp"
#include "support/run_program.hpp"

namespace {

TEST(Options, HelpAloneWritesTheUsageOnOneScreenAndReadsNothing) {
    auto run = e2e::run_program({.input = "1\nraiz\n12 16\n0.1\n10\n", .arguments = {"--help"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, principal::request_text(principal::Request::help));
    EXPECT_EQ(run.out.rfind("Usage: raizes [--f F [--g G] [--df DF]] [FILE]", 0), 0u) << run.out;
    for (const char* topic : {"x = g(x) (method 3)", "f'(x) (method 4)", "** ^", "atan abs", "0,1 is 0", "1e-6 = 1d-6 = 1-6", "2*7.5", "'meu arquivo'", ".bis.txt", "$COMSPEC",
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

// Not part of the suite's typed run (tests/CMakeLists.txt), which gives
// every run options of its own.
TEST(EquationOptions, TakenOutWhereverTheyStandAndNamedAfterTheTitle) {
    auto run = e2e::run_program({.input = "4\n,\n1e-10\n20\n2\n", .arguments = {"--f=x*x-2", "relatorio.txt"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::string report = e2e::read_file(run.directory + "/relatorio.txt");
    EXPECT_EQ(report.rfind("Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo de Newton-Raphson\r\nf(x) = x*x-2\r\n"
                           "df(x) = derivada exata de f(x), por diferencia\xE7\xE3o autom\xE1tica\r\n\r\n"
                           "Toler\xE2ncia admitida:     1.000000000000000E-10\r\n", 0), 0u) << e2e::visible(report);
    EXPECT_NE(report.find("1.414213562373095E+00"), std::string::npos) << e2e::visible(report);

    // A starting estimate left null is 0 as with the built-in equation, not
    // what the compiling of a long expression left in the heap.
    std::string sum = "x*1.25";
    for (int i = 0; i < 99; ++i) sum += "+x*1.25";
    run = e2e::run_program({.input = "3\nr\n1e-3\n100\n,\n", .arguments = {"--f", sum, "--g", sum}});
    EXPECT_NE(e2e::read_file(run.directory + "/r.pfs.txt").find("(p0) =     0.000000000000000E+00\r\n"),
              std::string::npos);

    auto help = e2e::run_program({.arguments = {"--f", "x", "--help"}});
    EXPECT_EQ(help.out, principal::request_text(principal::Request::help));
}

// The expressions go without blanks: under Wine an argument cannot hold one
// (run_program.cpp).
TEST(EquationOptions, RefusedBeforeTheDialogueWithStatusTwo) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--f", "1-sen(x)"},
         "raizes: --f: unknown name 'sen' (the names are x, pi, exp, log, sqrt, sin, cos, tan, atan, abs)\n"
         "  1-sen(x)\n    ^\n"},
        {{"--f", "x", "--g", "x+", "--df", "1"},
         "raizes: --g: the expression ends where a number, x, pi, a function or '(' belongs\n  x+\n    ^\n"},
        {{"--g", "x"}, "raizes: --g and --df go with the equation itself: give f with --f EXPR\n"},
        {{"--f"}, "raizes: --f needs an expression\n"},
        {{"--df=1", "--f", "x", "--df", "2"}, "raizes: --df is given twice\n"},
    };
    for (const auto& [arguments, refusal] : cases) {
        auto run = e2e::run_program({.input = "1\nraiz\n12 16\n0.1\n10\n", .arguments = arguments});
        EXPECT_EQ(run.status, 2) << refusal;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, refusal);
        EXPECT_TRUE(std::filesystem::is_empty(run.directory)) << refusal;
    }
}

// Without g, simple fixed point cannot run: choosing it ends the run at once,
// before the name is asked.
TEST(EquationOptions, SimpleFixedPointWithoutGIsRefusedWhenChosen) {
    auto run = e2e::run_program({.input = "3\nraiz\n0.1\n10\n1\n", .arguments = {"--f", "x-1"}});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "Informe o metodo de solucao escolhido:\r\n1 - bissecao; 2 - falsa posicao; 3 - ponto fixo "
                       "simples\r\n4 - newton raphson; 5 - secante\r\n");
    EXPECT_EQ(run.err, "raizes: method 3, simple fixed point, iterates x = g(x): give g with --g EXPR\n");
    EXPECT_TRUE(std::filesystem::is_empty(run.directory));
}

}  // namespace
