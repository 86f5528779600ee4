// The report connection seen from outside: open and close failures end the
// run with their report, before the viewer is started.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/run_program.hpp"

namespace {

const std::string bisection_input = "1\nraiz\n12 16\n0.1\n10\n";

e2e::RunResult run_in(const std::string& directory, const std::string& input) {
    e2e::RunOptions options;
    options.input = input;
    options.directory = directory;
    options.environment = {{"COMSPEC", e2e::recording_processor(directory)}};
    return e2e::run_program(options);
}

TEST(ReportConnection, MissingDirectoryEndsTheRunBeforeAnyRecord) {
    const std::string dir = e2e::make_temp_dir();
    // Quoted, since a slash would end the list-directed input.
    auto run = run_in(dir, "1\n'nowhere/raiz'\n12 16\n0.1\n10\n");
    EXPECT_EQ(run.status, 1);
    // The message names the file and the reason in the user's terms.
    EXPECT_EQ(e2e::visible(run.err),
              e2e::visible("\r\nrun-time error F6416: OPEN(nowhere/raiz.bis.txt)\r\n- file not found: "
                           "\"nowhere/raiz.bis.txt\" (no such file or folder)\r\n"));
    EXPECT_FALSE(e2e::file_exists(dir + "/nowhere"));
    EXPECT_FALSE(e2e::file_exists(dir + "/viewer-args.txt"));
}

TEST(ReportConnection, ADirectoryInThePlaceOfTheReportIsRefused) {
    const std::string dir = e2e::make_temp_dir();
    ASSERT_TRUE(std::filesystem::create_directory(dir + "/raiz.bis.txt"));
    auto run = run_in(dir, bisection_input);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("\r\nrun-time error F6412: OPEN(raiz.bis.txt)\r\n- ", 0), 0u) << e2e::visible(run.err);
    EXPECT_FALSE(e2e::file_exists(dir + "/viewer-args.txt"));
}

// A report that outgrows the 1024-byte buffer is refused by the full device
// at the write statement that filled it.
TEST(ReportConnection, AFullDeviceFailsTheWriteThatPassesTheBuffer) {
    const std::string dir = e2e::make_temp_dir();
    ASSERT_EQ(::symlink("/dev/full", (dir + "/raiz.bis.txt").c_str()), 0);
    auto run = run_in(dir, "1\nraiz\n16 20\n0\n14\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("\r\nrun-time error F6422: WRITE(raiz.bis.txt)\r\n- ", 0), 0u) << e2e::visible(run.err);
    EXPECT_FALSE(e2e::file_exists(dir + "/viewer-started"));
}

// The report fits the buffer, so the full device refuses it when the
// report is closed; the run ends there and the viewer is not started.
TEST(ReportConnection, AFullDeviceFailsTheCloseOfTheReport) {
    const std::string dir = e2e::make_temp_dir();
    ASSERT_EQ(::symlink("/dev/full", (dir + "/raiz.bis.txt").c_str()), 0);
    auto run = run_in(dir, bisection_input);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("\r\nrun-time error F6422: CLOSE(raiz.bis.txt)\r\n- ", 0), 0u) << e2e::visible(run.err);
    EXPECT_EQ(run.out.find("Stop - Program terminated."), std::string::npos);
    EXPECT_FALSE(e2e::file_exists(dir + "/viewer-args.txt"));
}

}  // namespace
