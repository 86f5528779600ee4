// The viewer that comes with the program, as a user who never set COMSPEC
// meets it on a terminal: the installed program (`cmake --install` into a
// temporary prefix) uses the installed viewer, the program in its build
// folder the viewer of its sources.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_program.hpp"

namespace {

namespace fs = std::filesystem;

const std::string title_windows_1252 = "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o";
const std::string title_utf8 = "Solução obtida através do método da bisseção";

// A bisection run on a terminal with COMSPEC unset and the pager cat.
e2e::RunResult run_shown(const std::string& binary) {
    return e2e::run_on_terminal({
        .binary = binary,
        .environment = {{"PAGER", "cat"}, {"LANG", "C.UTF-8"}, {"LC_ALL", "C.UTF-8"}},
        .unset = {"COMSPEC", "VISUAL", "EDITOR"},
        .typed_lines = {"1\n", "raiz\n", "12 16\n", "0.1\n", "10\n"},
    });
}

// The viewer's pager wrote the report as UTF-8 text with plain line ends;
// the stop message follows it once the viewer has ended. The file itself
// keeps its Windows-1252 bytes and CR LF line ends.
void expect_report_shown(const e2e::RunResult& run) {
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::size_t title = run.out.find(title_utf8 + "\n\nIntervalo\tinicial:\n");
    ASSERT_NE(title, std::string::npos) << e2e::visible(run.out);
    const std::size_t last_row = run.out.find("    6    1.481250000000000E+01    6.250000000000000E-02\n", title);
    EXPECT_NE(last_row, std::string::npos) << e2e::visible(run.out);
    EXPECT_NE(run.out.find("Stop - Program terminated.\r\n", last_row), std::string::npos) << e2e::visible(run.out);
    EXPECT_EQ(e2e::read_file(run.directory + "/raiz.bis.txt").rfind(title_windows_1252 + "\r\n\r\n", 0), 0u);
}

TEST(Installed, ShowsTheReportOnTheTerminalThroughItsOwnViewerWithoutComspec) {
    const std::string prefix = e2e::make_temp_dir();
    auto install = e2e::run_program(
        {.binary = RAIZES_CMAKE_COMMAND, .arguments = {"--install", RAIZES_BUILD_DIR, "--prefix", prefix}});
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    const fs::path viewer = fs::path(prefix) / "libexec/raizes/cmd";
    ASSERT_TRUE(fs::exists(viewer));
    EXPECT_NE(fs::status(viewer).permissions() & fs::perms::owner_exec, fs::perms::none);
    for (const char* file : {"bin/raizes-plot", "share/man/man1/raizes.1.gz", "share/man/man1/raizes-plot.1.gz",
                             "share/doc/raizes/guide.md.gz", "share/doc/raizes/copyright"})
        EXPECT_TRUE(fs::exists(fs::path(prefix) / file)) << file;

    expect_report_shown(run_shown(prefix + "/bin/raizes"));

    // A COMSPEC that is set still wins over the installed viewer.
    const std::string directory = e2e::make_temp_dir();
    const std::string processor = directory + "/processor";
    e2e::write_file(processor, "#!/bin/sh\nprintf '%s|' \"$0\" \"$@\" > \"" + directory + "/record\"\n");
    fs::permissions(processor, fs::perms::owner_all);
    auto with_comspec = e2e::run_program({
        .binary = prefix + "/bin/raizes",
        .input = "1\nraiz\n12 16\n0.1\n10\n",
        .directory = directory,
        .environment = {{"COMSPEC", processor}},
        .keep_comspec = true,
    });
    EXPECT_EQ(with_comspec.status, 0) << with_comspec.err;
    EXPECT_EQ(e2e::read_file(directory + "/record"), processor + "|/c|notepad raiz.bis.txt|");
}

TEST(BuildFolder, ShowsTheReportOnTheTerminalThroughTheViewerOfItsSourcesWithoutComspec) {
    expect_report_shown(run_shown(RAIZES_BINARY));

    // A copy of the program elsewhere has no viewer.
    const std::string copy = e2e::make_temp_dir() + "/raizes";
    fs::copy_file(RAIZES_BINARY, copy);
    auto elsewhere = run_shown(copy);
    EXPECT_EQ(elsewhere.status, 0) << elsewhere.err;
    EXPECT_EQ(elsewhere.out.find(title_utf8), std::string::npos) << e2e::visible(elsewhere.out);
    EXPECT_NE(elsewhere.out.find("Stop - Program terminated.\r\n"), std::string::npos);
}

}  // namespace
