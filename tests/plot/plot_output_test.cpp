// Where raizes-plot puts its picture: a FIFO, a character device, standard
// output and the open files named in /dev/fd are written to as they are, a
// symbolic link is followed where the system follows it, a regular file is
// replaced whole under no name anybody can guess, two runs at once leave one
// whole picture, and a failure leaves everything as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "plot_support.hpp"
#include "support/run_program.hpp"

namespace {

namespace fs = std::filesystem;
using plot_test::files_in;
using plot_test::run_plot;

// A folder with two reports and the picture of each, made the ordinary way.
struct Pictures {
    std::string dir = e2e::make_temp_dir();
    std::string a = picture("1\na\n12 16\n1e-10\n100\n", "a.bis.txt", "a.svg");
    std::string b = picture("2\nb\n12 16\n1e-10\n100\n", "b.fp.txt", "b.svg");
    std::string picture(const char* dialogue, const char* report, const char* svg) const {
        plot_test::write_report(dialogue, dir, report);
        EXPECT_EQ(run_plot({report, "-o", svg}, dir).status, 0);
        return e2e::read_file(dir + "/" + svg);
    }
};

bool is_kind(const std::string& path, mode_t kind) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && (status.st_mode & S_IFMT) == kind;
}

TEST(PlotOutput, FifosDevicesAndStandardOutputAreWrittenAsTheyAre) {
    const Pictures p;
    const std::string fifo = p.dir + "/out.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const pid_t plot = plot_test::start_plot({"a.bis.txt", "-o", "out.fifo"}, p.dir);
    // The platform's calls refuse a FIFO, by design: an ordinary stream reads it.
    std::ifstream reader(fifo, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), p.a);
    EXPECT_EQ(plot_test::finish_command(plot), 0);
    EXPECT_TRUE(is_kind(fifo, S_IFIFO));

    const auto out = run_plot({"a.bis.txt", "-o", "-"}, p.dir);
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.out, p.a);

    // A null device of the test's own where it may make one, else the
    // system's; a full device fails with its reason. Both stay devices.
    std::string null = p.dir + "/null";
    if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) null = "/dev/null";
    EXPECT_EQ(run_plot({"a.bis.txt", "-o", null}, p.dir).status, 0);
    EXPECT_TRUE(is_kind(null, S_IFCHR));
    const auto full = run_plot({"a.bis.txt", "-o", "/dev/full"}, p.dir);
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "raizes-plot: /dev/full: cannot be written: No space left on device\n");
    EXPECT_TRUE(is_kind("/dev/full", S_IFCHR));
}

TEST(PlotOutput, SymbolicLinksAreWrittenThroughToTheirTargets) {
    const Pictures p;
    fs::create_directory(p.dir + "/sub");
    e2e::write_file(p.dir + "/target.svg", "old");
    fs::create_symlink("../target.svg", p.dir + "/sub/link.svg");
    fs::create_symlink("missing.svg", p.dir + "/dangling.svg");
    for (const char* link : {"sub/link.svg", "dangling.svg"}) {
        EXPECT_EQ(run_plot({"a.bis.txt", "-o", link}, p.dir).status, 0);
        EXPECT_TRUE(is_kind(p.dir + "/" + link, S_IFLNK));
    }
    EXPECT_EQ(e2e::read_file(p.dir + "/target.svg"), p.a);
    EXPECT_EQ(e2e::read_file(p.dir + "/missing.svg"), p.a);
}

// In a sticky folder that anybody may write to, the system does not follow
// another user's link for root, and neither does the picture.
TEST(PlotOutput, ALinkTheSystemWouldNotFollowIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "NOT RUN: a link of another user's needs root";
    if (e2e::read_file("/proc/sys/fs/protected_symlinks") != "1\n")
        GTEST_SKIP() << "NOT RUN: this kernel follows any link in sticky folders (fs.protected_symlinks is not 1)";
    const Pictures p;
    fs::create_directory(p.dir + "/sticky");
    fs::permissions(p.dir + "/sticky", fs::perms::all | fs::perms::sticky_bit);
    fs::create_symlink("../a.svg", p.dir + "/sticky/b.svg");
    ASSERT_EQ(::lchown((p.dir + "/sticky/b.svg").c_str(), 4321, 4321), 0);
    const auto before = files_in(p.dir + "/sticky");
    const auto run = run_plot({"b.fp.txt", "-o", "sticky/b.svg"}, p.dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "raizes-plot: sticky/b.svg: cannot be written: Permission denied\n");
    EXPECT_EQ(e2e::read_file(p.dir + "/a.svg"), p.a);
    EXPECT_EQ(files_in(p.dir + "/sticky"), before);
}

// The names of this process's open files are those files as they are: one
// opened to append, a pipe, a deleted file. A name that cannot be printed
// fails the run; an empty name and a second -o are refused.
TEST(PlotOutput, NamesOfOpenFilesAreWrittenAsTheyAreAndBadNamesAreRefused) {
    const Pictures p;
    const struct { const char* command; int status; std::string log; } cases[] = {
        {"\"$0\" a.bis.txt -o /dev/stdout >>log", 0, "log\n" + p.a},
        {"\"$0\" a.bis.txt -o /dev/stderr 2>>log", 0, "log\n" + p.a},
        {"\"$0\" a.bis.txt -o /proc/self/fd/1 | cat >>log", 0, "log\n" + p.a},
        {"exec 3<>gone; rm gone; \"$0\" a.bis.txt -o /dev/fd/3 >>log && cat /dev/fd/3 >>log", 0,
         "log\n/dev/fd/3\n" + p.a},
        {"\"$0\" a.bis.txt -o /dev/null >/dev/full", 1, "log\n"},
        {"\"$0\" a.bis.txt -o '' >>log", 2, "log\n"},
        {"\"$0\" a.bis.txt -o '' -o x.svg >>log", 2, "log\n"},
    };
    for (const auto& c : cases) {
        e2e::write_file(p.dir + "/log", "log\n");
        const auto before = files_in(p.dir);
        const auto run = plot_test::run_command({"sh", "-c", c.command, RAIZES_PLOT_BINARY}, p.dir);
        EXPECT_EQ(run.status, c.status) << c.command << "\n" << run.err;
        EXPECT_EQ(e2e::read_file(p.dir + "/log"), c.log) << c.command;
        EXPECT_EQ(files_in(p.dir), before) << c.command;
    }
}

// Memory refused (3000 reports in 20 MB of address space): one line, status
// 1, and nothing written.
TEST(PlotOutput, RefusedMemoryEndsTheRunInOrder) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "NOT RUN: AddressSanitizer needs more address space than the limit leaves";
#endif
    const Pictures p;
    const auto before = files_in(p.dir);
    const char* command = "ulimit -v 20000; exec \"$0\" $(yes a.bis.txt | head -n 3000)";
    const auto run = plot_test::run_command({"sh", "-c", command, RAIZES_PLOT_BINARY}, p.dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "raizes-plot: out of memory\n");
    EXPECT_EQ(files_in(p.dir), before);
}

// Two runs at once leave one whole picture, and nothing else: a file named
// as the old temporary name, or a link there to a victim, is left alone.
TEST(PlotOutput, RunsAtOnceEachLeaveOneWholePictureAndNothingElse) {
    const Pictures p;
    e2e::write_file(p.dir + "/victim", "victim");
    fs::create_symlink("victim", p.dir + "/both.svg.part");
    fs::copy_file(p.dir + "/a.bis.txt", p.dir + "/b.svg.part");
    const auto before = files_in(p.dir);
    for (int round = 0; round < 40; ++round) {
        const pid_t first = plot_test::start_plot({"a.bis.txt", "-o", "both.svg"}, p.dir);
        const pid_t second = plot_test::start_plot({"b.fp.txt", "-o", "both.svg"}, p.dir);
        EXPECT_EQ(plot_test::finish_command(first), 0);
        EXPECT_EQ(plot_test::finish_command(second), 0);
        const std::string picture = e2e::read_file(p.dir + "/both.svg");
        EXPECT_TRUE(picture == p.a || picture == p.b) << "round " << round;
    }
    EXPECT_EQ(run_plot({"b.svg.part", "-o", "b.svg"}, p.dir).status, 0);
    auto after = files_in(p.dir);
    after.erase("both.svg");
    EXPECT_EQ(after, before);
    EXPECT_EQ(e2e::read_file(p.dir + "/victim"), "victim");
    EXPECT_EQ(e2e::read_file(p.dir + "/b.svg.part"), e2e::read_file(p.dir + "/a.bis.txt"));
}

// A write that fails (a file size limit), a folder or a missing folder as the
// destination: status 1, and the folder as it was.
TEST(PlotOutput, AFailureLeavesEverythingAsItWas) {
    const Pictures p;
    fs::create_directory(p.dir + "/folder.svg");
    const auto before = files_in(p.dir);
    const auto limited = run_plot({"a.bis.txt", "-o", "b.svg"}, p.dir, 1000);
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.err, "raizes-plot: b.svg: cannot be written: File too large\n");
    EXPECT_EQ(e2e::read_file(p.dir + "/b.svg"), p.b);
    const auto folder = run_plot({"a.bis.txt", "-o", "folder.svg"}, p.dir);
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("it is not replaced"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(p.dir + "/folder.svg"));
    EXPECT_EQ(run_plot({"a.bis.txt", "-o", "no/such.svg"}, p.dir).status, 1);
    EXPECT_EQ(files_in(p.dir), before);
}

}  // namespace
