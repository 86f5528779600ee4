// Where raizes-plot puts its picture: a FIFO, a character device and standard
// output are written to as they are, a symbolic link is written through to
// its target, a regular file is replaced as a whole under no name anybody
// can guess, two runs at once leave one whole picture, and a failure leaves
// everything as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

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
