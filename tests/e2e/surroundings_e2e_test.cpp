// The real binary in hostile surroundings rather than with hostile input:
// closed standard descriptors, a file-size limit, a pipe in the report's
// place, a reader of standard output who went away, interrupts while the
// viewer runs, typed-ahead text after an error.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "runtime/messages.hpp"
#include "runtime/termination.hpp"
#include "support/run_program.hpp"

namespace {

const std::string converging_bisection = "1\nraiz\n12 16\n0.1\n10\n";
const std::string long_bisection = "1\nraiz\n16 20\n0\n100\n";
// Row 0 is written, then f(0) divides 0 by 0.
const std::string newton_from_zero = "4\nraiz\n1e-6\n10\n0\n";

// A command processor that notes it was started and runs `body`.
std::string viewer(const std::string& directory, const std::string& body = "") {
    std::string path = directory + "/fake-cmd";
    e2e::write_file(path, "#!/bin/sh\ntouch viewer-started\n" + body + "exit 0\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

e2e::RunOptions options_in(const std::string& directory, const std::string& input) {
    e2e::RunOptions options;
    options.input = input;
    options.directory = directory;
    options.environment = {{"COMSPEC", viewer(directory)}};
    return options;
}

// The report the same dialogue writes in ordinary surroundings.
std::string ordinary_report(const std::string& input) {
    const std::string dir = e2e::make_temp_dir();
    e2e::run_program(options_in(dir, input));
    return e2e::read_file(dir + "/raiz.bis.txt").empty() ? e2e::read_file(dir + "/raiz.new.txt")
                                                         : e2e::read_file(dir + "/raiz.bis.txt");
}

bool starts_with(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

TEST(Surroundings, ClosedStandardErrorNeverBecomesTheReport) {
    const std::string expected = ordinary_report(newton_from_zero);
    ASSERT_FALSE(expected.empty());
    const std::string dir = e2e::make_temp_dir();
    e2e::RunOptions options = options_in(dir, newton_from_zero);
    options.closed_descriptors = {2};
    auto run = e2e::run_program(options);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(e2e::visible(e2e::read_file(dir + "/raiz.new.txt")), e2e::visible(expected));
}

TEST(Surroundings, ClosedStandardInputAndOutputAreTheNullDevice) {
    const std::string dir = e2e::make_temp_dir();
    e2e::RunOptions options = options_in(dir, "");
    options.closed_descriptors = {0, 1};
    auto run = e2e::run_program(options);
    // Nothing to read: end of file at the first question, reported in full.
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\r\nrun-time error F6501: READ(CON)\r\n- " + std::string(rt::message_text(501)) + "\r\n");
}

TEST(Surroundings, FileSizeLimitIsAWriteFailureThatKeepsTheWholeRows) {
    const std::string full = ordinary_report(long_bisection);
    ASSERT_GT(full.size(), 4000u);
    const std::string dir = e2e::make_temp_dir();
    e2e::RunOptions options = options_in(dir, long_bisection);
    options.file_size_limit = 2000;
    auto run = e2e::run_program(options);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(starts_with(run.err, "\r\nrun-time error F6422: WRITE(raiz.bis.txt)\r\n- ")) << e2e::visible(run.err);
    const std::string kept = e2e::read_file(dir + "/raiz.bis.txt");
    EXPECT_GT(kept.size(), 1024u);
    EXPECT_LE(kept.size(), 2000u);
    EXPECT_TRUE(starts_with(full, kept)) << "the rows before the failure are kept as written";
    EXPECT_EQ(kept.substr(kept.size() - 2), "\r\n") << "no row is cut in half";
    EXPECT_FALSE(e2e::file_exists(dir + "/viewer-started"));
}

TEST(Surroundings, PipeInThePlaceOfTheReportIsRefusedAtTheOpen) {
    const std::string dir = e2e::make_temp_dir();
    ASSERT_EQ(::mkfifo((dir + "/raiz.bis.txt").c_str(), 0644), 0);
    e2e::RunOptions options = options_in(dir, converging_bisection);
    options.timeout_seconds = 20;
    auto run = e2e::run_program(options);
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(starts_with(run.err, "\r\nrun-time error F6425: OPEN(raiz.bis.txt)\r\n- ")) << e2e::visible(run.err);
    EXPECT_EQ(run.out.find("Stop - Program terminated."), std::string::npos);
    EXPECT_FALSE(e2e::file_exists(dir + "/viewer-started"));
}

TEST(Surroundings, ReaderOfStandardOutputWhoLeftCostsNothingButTheOutput) {
    const std::string expected = ordinary_report(converging_bisection);
    const std::string dir = e2e::make_temp_dir();
    e2e::RunOptions options = options_in(dir, converging_bisection);
    options.output_reader_gone = true;
    auto run = e2e::run_program(options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(e2e::read_file(dir + "/raiz.bis.txt"), expected);
    EXPECT_TRUE(e2e::file_exists(dir + "/viewer-started"));
}

TEST(Surroundings, ViewerStartsWithDefaultSignalsAndNoneBlocked) {
    const std::string dir = e2e::make_temp_dir();
    e2e::RunOptions options = options_in(dir, converging_bisection);
    // The shell reads its own status: a child it forks would see it mid-fork.
    options.environment = {{"COMSPEC", viewer(dir,
                                              "while IFS= read -r line; do case $line in Sig[BI][lg][kn]:*) "
                                              "echo \"$line\";; esac; done < /proc/self/status > signals\n")}};
    auto run = e2e::run_program(options);
    EXPECT_EQ(run.status, 0);
    const std::string signals = e2e::read_file(dir + "/signals");
    ASSERT_EQ(signals.size(), 50u) << e2e::visible(signals);
    EXPECT_EQ(signals.substr(0, 25), "SigBlk:\t0000000000000000\n");
    // The signals up to 31; the C library keeps its own real-time signals
    // above them ignored across the start, and sets them up again itself.
    const unsigned long long ignored = std::stoull(signals.substr(33, 16), nullptr, 16);
    EXPECT_EQ(ignored & 0x7FFFFFFFull, 0u) << e2e::visible(signals);
}

// An interrupt typed while the viewer runs is the viewer's: the program
// goes on and ends as usual.
TEST(Surroundings, InterruptWhileTheViewerRunsReachesOnlyTheViewer) {
    const std::string dir = e2e::make_temp_dir();
    e2e::RunOptions options;
    options.directory = dir;
    options.environment = {{"COMSPEC", viewer(dir, "sleep 10\n")}};
    options.typed_lines = {"1\n", "raiz\n", "12 16\n", "0.1\n", "10\n", "\x03"};
    auto run = e2e::run_on_terminal(options);
    EXPECT_TRUE(e2e::file_exists(dir + "/viewer-started"));
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Stop - Program terminated.\r\n"), std::string::npos) << e2e::visible(run.out);
}

// The rest of a line typed too long stays behind on the terminal unless it
// is dropped: it would reach the shell as a command.
TEST(Surroundings, TypedAheadTextIsDroppedAfterAnError) {
    auto run = e2e::run_on_terminal({.typed_lines = {std::string(200, '7') + "\n"}});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(starts_with(run.err, "\r\nrun-time error F6407: READ(CON)")) << e2e::visible(run.err);
    EXPECT_EQ(e2e::visible(run.unread_input), "");
}

}  // namespace
