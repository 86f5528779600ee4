// Where raizes-plot puts its picture: a FIFO, a character device and standard
// output are written to as they are, a symbolic link is written through to
// its target, a regular file is replaced as a whole under no name anybody
// can guess, two runs at once leave one whole picture, and a failure leaves
// everything as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "plot_support.hpp"
#include "support/run_program.hpp"

namespace {

namespace fs = std::filesystem;
using plot_test::run_plot;

std::set<std::string> files_in(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) names.insert(entry.path().filename());
    return names;
}

// A folder with two reports and the picture of each, made the ordinary way.
struct Pictures {
    std::string dir = e2e::make_temp_dir();
    std::string a, b;
    Pictures() {
        plot_test::write_report("1\na\n12 16\n1e-10\n100\n", dir, "a.bis.txt");
        plot_test::write_report("2\nb\n12 16\n1e-10\n100\n", dir, "b.fp.txt");
        EXPECT_EQ(run_plot({"a.bis.txt", "-o", "a.svg"}, dir).status, 0);
        EXPECT_EQ(run_plot({"b.fp.txt", "-o", "b.svg"}, dir).status, 0);
        a = e2e::read_file(dir + "/a.svg");
        b = e2e::read_file(dir + "/b.svg");
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
    EXPECT_EQ(e2e::read_file(fifo), p.a);
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
    EXPECT_EQ(run_plot({"a.bis.txt", "-o", "sub/link.svg"}, p.dir).status, 0);
    EXPECT_EQ(run_plot({"a.bis.txt", "-o", "dangling.svg"}, p.dir).status, 0);
    EXPECT_TRUE(is_kind(p.dir + "/sub/link.svg", S_IFLNK));
    EXPECT_TRUE(is_kind(p.dir + "/dangling.svg", S_IFLNK));
    EXPECT_EQ(e2e::read_file(p.dir + "/target.svg"), p.a);
    EXPECT_EQ(e2e::read_file(p.dir + "/missing.svg"), p.a);
}

// A file named as the old temporary name, or a link there to a victim, is
// left alone; so is anything else in the folder.
TEST(PlotOutput, ThePictureReplacesOnlyItsOwnFile) {
    const Pictures p;
    e2e::write_file(p.dir + "/victim", "victim");
    fs::create_symlink("victim", p.dir + "/a.svg.part");
    fs::copy_file(p.dir + "/a.bis.txt", p.dir + "/b.svg.part");
    const auto before = files_in(p.dir);
    EXPECT_EQ(run_plot({"b.svg.part", "-o", "a.svg"}, p.dir).status, 0);
    EXPECT_EQ(run_plot({"a.bis.txt", "-o", "b.svg"}, p.dir).status, 0);
    EXPECT_EQ(files_in(p.dir), before);
    EXPECT_EQ(e2e::read_file(p.dir + "/victim"), "victim");
    EXPECT_EQ(e2e::read_file(p.dir + "/b.svg.part"), e2e::read_file(p.dir + "/a.bis.txt"));
    EXPECT_EQ(e2e::read_file(p.dir + "/b.svg"), p.a);
}

TEST(PlotOutput, RunsAtOnceEachLeaveOneWholePicture) {
    const Pictures p;
    const auto before = files_in(p.dir);
    for (int round = 0; round < 40; ++round) {
        const pid_t first = plot_test::start_plot({"a.bis.txt", "-o", "both.svg"}, p.dir);
        const pid_t second = plot_test::start_plot({"b.fp.txt", "-o", "both.svg"}, p.dir);
        EXPECT_EQ(plot_test::finish_command(first), 0);
        EXPECT_EQ(plot_test::finish_command(second), 0);
        const std::string picture = e2e::read_file(p.dir + "/both.svg");
        EXPECT_TRUE(picture == p.a || picture == p.b) << "round " << round;
    }
    auto after = files_in(p.dir);
    after.erase("both.svg");
    EXPECT_EQ(after, before);
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
