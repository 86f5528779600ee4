// The stand-in command processor tools/cmd, run as a real process with and
// without a terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "support/files.hpp"
#include "support/run_program.hpp"

namespace {

namespace fs = std::filesystem;

const std::string tool = std::string(RAIZES_SOURCE_DIR) + "/tools/cmd";

const std::string report_bytes = "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo\r\n\r\n    1    1.4E+01\r\n";
const std::string report_utf8 = "Solução obtida através do método\n\n    1    1.4E+01\n";

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

using test_files::read_file;

std::string drain(int fd) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
        else if (n < 0 && errno == EINTR) continue;
        else break;  // end of file, or EIO once the terminal's last user is gone
    }
    return bytes;
}

int wait_status(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

[[noreturn]] void exec_program(const std::vector<std::string>& command, const std::vector<std::string>& environment) {
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
}

std::vector<std::string> tool_call(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{tool};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

// Standard input is /dev/null, standard output and error are pipes.
ToolResult run_without_terminal(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::close(out[0]);
        ::close(err[0]);
        exec_program(tool_call(arguments), environment);
    }
    ::close(out[1]);
    ::close(err[1]);
    ToolResult result;
    result.out = drain(out[0]);  // small outputs: the pipes never fill
    result.err = drain(err[0]);
    ::close(out[0]);
    ::close(err[0]);
    result.status = wait_status(pid);
    return result;
}

// Reads what `fd` (non-blocking) holds into `sink`; false once it is closed.
bool take_available(int fd, std::string& sink) {
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) sink.append(buffer, static_cast<std::size_t>(n));
        else if (n < 0 && errno == EINTR) continue;
        else return n < 0 && errno == EAGAIN;  // end of file, or EIO once the terminal's last user is gone
    }
}

struct TerminalRun {
    std::vector<std::string> command;  // the program first
    std::vector<std::string> environment;
    std::string keys{};       // typed once the program has shown something and then gone quiet
    std::string directory{};  // where it runs; empty: here
};

// Standard input and output are a pseudo-terminal of 24 lines of 80
// columns, standard error a pipe. A program that has not ended after a
// minute is killed.
ToolResult run_on_terminal(const TerminalRun& run) {
    int err[2];
    if (::pipe(err) != 0) return {};
    int master = -1;
    winsize size{24, 80, 0, 0};
    pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid == 0) {
        ::dup2(err[1], 2);
        ::close(err[0]);
        if (!run.directory.empty() && ::chdir(run.directory.c_str()) != 0) ::_exit(126);
        exec_program(run.command, run.environment);
    }
    ::close(err[1]);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(err[0], F_SETFL, ::fcntl(err[0], F_GETFL) | O_NONBLOCK);
    ToolResult result;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    auto last_output = Clock::now();
    bool typed = run.keys.empty();
    bool master_open = true, err_open = true;
    while ((master_open || err_open) && Clock::now() < deadline) {
        pollfd fds[2] = {{master, POLLIN, 0}, {err[0], POLLIN, 0}};
        ::poll(fds, 2, 20);
        const std::size_t before = result.out.size();
        if (master_open) master_open = take_available(master, result.out);
        if (err_open) err_open = take_available(err[0], result.err);
        if (result.out.size() != before) last_output = Clock::now();
        if (!typed && !result.out.empty() && Clock::now() - last_output > std::chrono::milliseconds(300)) {
            typed = true;
            if (::write(master, run.keys.data(), run.keys.size()) < 0) break;
        }
    }
    if (master_open || err_open) ::kill(pid, SIGKILL);
    ::close(master);
    ::close(err[0]);
    result.status = wait_status(pid);
    return result;
}

ToolResult run_on_terminal(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    return run_on_terminal(TerminalRun{tool_call(arguments), environment});
}

std::vector<std::string> files_in(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CmdTool : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "cmd_tool_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        bin_ = dir_ / "bin";
        fs::create_directory(bin_);
        editor_ = make_recorder("editor");
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A program that records its name and arguments (each followed by a NUL)
    // in the file `record` and exits with $EDIT_EXIT. A pager also keeps what
    // it reads in the file `shown`.
    fs::path make_recorder(const std::string& name, bool pager = false) {
        fs::path path = bin_ / name;
        std::ofstream(path) << "#!/bin/sh\n"
                               "{ printf '%s\\000' " << name << "; for a in \"$@\"; do printf '%s\\000' \"$a\"; done; } > '"
                            << (dir_ / "record").string() << "'\n"
                            << (pager ? "/bin/cat > '" + (dir_ / "shown").string() + "'\n" : "")
                            << "exit \"${EDIT_EXIT:-0}\"\n";
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }

    // A report-like file: Windows-1252 text with CR LF line ends.
    std::string make_report(const std::string& name) {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << report_bytes;
        return path;
    }

    std::string shown() const { return read_file(dir_ / "shown"); }

    std::vector<std::string> recorded() const {
        std::vector<std::string> words;
        std::string record = read_file(dir_ / "record");
        std::size_t start = 0;
        for (std::size_t end; (end = record.find('\0', start)) != std::string::npos; start = end + 1)
            words.push_back(record.substr(start, end - start));
        return words;
    }

    bool something_ran() const { return fs::exists(dir_ / "record"); }

    // The tools the viewer converts with, for a PATH of stand-ins only.
    void link_text_tools() const {
        for (const char* name : {"iconv", "locale", "tr"}) fs::create_symlink(fs::path("/usr/bin") / name, bin_ / name);
    }

    std::vector<std::string> environment(std::vector<std::string> extra) const {
        extra.push_back("PATH=" + bin_.string() + ":/usr/bin:/bin");
        extra.push_back("TERM=dumb");
        return extra;
    }

    fs::path dir_;
    fs::path bin_;
    fs::path editor_;
};

TEST_F(CmdTool, WithoutATerminalDoesNothingAndExitsZero) {
    ToolResult r = run_without_terminal({"/c", "notepad report.bis.txt"},
                                        environment({"VISUAL=" + editor_.string(), "EDITOR=" + editor_.string()}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(something_ran());
}

TEST_F(CmdTool, WithoutATerminalShellTextIsNeverEvaluated) {
    fs::path marker = dir_ / "marker";
    fs::path keep = dir_ / "keep";
    fs::create_directory(keep);
    std::string text = "notepad $(touch " + marker.string() + "); rm -rf " + keep.string() + " `touch " +
                       marker.string() + "`";
    ToolResult r = run_without_terminal({"/c", text}, environment({"VISUAL=" + editor_.string()}));
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_TRUE(fs::exists(keep));
}

TEST_F(CmdTool, OnATerminalOpensTheFileInVisualAndReturnsItsStatus) {
    fs::path pager = make_recorder("pager", true);
    ToolResult r = run_on_terminal({"/c", "notepad my report.bis.txt"},
                                   environment({"VISUAL=" + editor_.string(), "EDITOR=/bin/false", "EDIT_EXIT=5",
                                                "PAGER=" + pager.string()}));
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_EQ(recorded(), (std::vector<std::string>{"editor", "./my report.bis.txt"}));
}

TEST_F(CmdTool, OnATerminalShellTextIsOneLiteralFileName) {
    fs::path marker = dir_ / "marker";
    fs::path keep = dir_ / "keep";
    fs::create_directory(keep);
    std::string name = "$(touch " + marker.string() + "); rm -rf " + keep.string() + " *  'q' \"d\"";
    ToolResult r = run_on_terminal({"/c", "notepad " + name}, environment({"VISUAL=" + editor_.string()}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(recorded(), (std::vector<std::string>{"editor", "./" + name}));
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_TRUE(fs::exists(keep));
}

TEST_F(CmdTool, EditorIsUsedWhenVisualIsUnsetAndMayCarryOptions) {
    ToolResult r = run_on_terminal({"/c", "notepad a.txt"}, environment({"EDITOR=" + editor_.string() + " -w  --x"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(recorded(), (std::vector<std::string>{"editor", "-w", "--x", "./a.txt"}));
}

TEST_F(CmdTool, WithoutAnEditorOrPagerFallsBackToLessThenMoreThenCat) {
    // Only the tool's directory of stand-ins is searched.
    link_text_tools();
    std::vector<std::string> env{"PATH=" + bin_.string(), "TERM=dumb", "LC_ALL=C.UTF-8"};
    std::string report = make_report("r.txt");
    for (const char* pager : {"less", "more", "cat"}) make_recorder(pager, true);
    for (const char* expected : {"less", "more", "cat"}) {
        fs::remove(dir_ / "record");
        ToolResult r = run_on_terminal({"/c", "notepad " + report}, env);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(recorded(), (std::vector<std::string>{expected}));
        EXPECT_EQ(shown(), report_utf8) << expected;
        fs::remove(bin_ / expected);
    }
}

TEST_F(CmdTool, PagerGetsTheTextInTheLocalesCharacterSetAndTheFileStaysAsItWas) {
    fs::path pager = make_recorder("pager", true);
    std::string report = make_report("r.bis.txt");
    ToolResult r = run_on_terminal({"/c", "notepad " + report},
                                   environment({"PAGER=" + pager.string() + " -S  -R", "LC_ALL=C.UTF-8", "EDIT_EXIT=3"}));
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(recorded(), (std::vector<std::string>{"pager", "-S", "-R"}));
    EXPECT_EQ(shown(), report_utf8);
    EXPECT_EQ(read_file(report), report_bytes);

    // A terminal without accented letters gets plain ASCII, never the raw bytes.
    r = run_on_terminal({"/c", "notepad " + report}, environment({"PAGER=" + pager.string(), "LC_ALL=C"}));
    EXPECT_EQ(r.status, 0) << r.err;
    std::string ascii = shown();
    EXPECT_EQ(ascii.find_first_of("\r\x80\x81\x82\x83\xC3\xE3\xE7\xE9"), std::string::npos) << ascii;
    EXPECT_TRUE(ascii.ends_with("\n\n    1    1.4E+01\n")) << ascii;
    EXPECT_EQ(read_file(report), report_bytes);
}

TEST_F(CmdTool, EditorThatCannotBeStartedGivesWayToThePagerWithOneLine) {
    fs::path pager = make_recorder("pager", true);
    std::string report = make_report("r.txt");
    std::ofstream(dir_ / "not-executable") << "#!/bin/sh\n";
    const std::vector<std::pair<std::string, std::string>> editors = {
        {"VISUAL=" + (dir_ / "missing").string(), (dir_ / "missing").string()},
        {"VISUAL=" + (dir_ / "not-executable").string() + " -w", (dir_ / "not-executable").string()},
        {"EDITOR=no-such-editor -nw", "no-such-editor"},
    };
    for (const auto& [variable, name] : editors) {
        fs::remove(dir_ / "record");
        ToolResult r =
            run_on_terminal({"/c", "notepad " + report}, environment({variable, "PAGER=" + pager.string(), "LC_ALL=C.UTF-8"}));
        EXPECT_EQ(r.status, 0) << variable << ": " << r.err;
        EXPECT_EQ(r.err.rfind("cmd: ", 0), 0u) << variable << ": " << r.err;
        EXPECT_NE(r.err.find(name), std::string::npos) << variable << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << variable << ": " << r.err;
        EXPECT_TRUE(r.err.ends_with("\n")) << variable;
        EXPECT_EQ(recorded(), (std::vector<std::string>{"pager"})) << variable;
        EXPECT_EQ(shown(), report_utf8) << variable;
    }
}

TEST_F(CmdTool, EditorGetsARelativeNameAsDotSlashAfterDashDashWhereItTakesThem) {
    make_recorder("vim");
    const std::vector<std::pair<std::string, std::vector<std::string>>> calls = {
        {"editor", {"editor", "./-rf.txt"}},
        {"editor", {"editor", "./+x.txt"}},
        {"editor -w", {"editor", "-w", "./+!id>pwned.new.txt"}},
        {"vim", {"vim", "--", "./+!id>pwned.new.txt"}},
        {"vim -u NONE", {"vim", "-u", "NONE", "--", "./-x.txt"}},
        {"vim", {"vim", "--", "/tmp/+x.txt"}},
    };
    for (const auto& [editor, call] : calls) {
        fs::remove(dir_ / "record");
        const std::string name = call.back().starts_with("./") ? call.back().substr(2) : call.back();
        ToolResult r = run_on_terminal({"/c", "notepad " + name}, environment({"VISUAL=" + (bin_ / editor).string()}));
        EXPECT_EQ(r.status, 0) << editor << ": " << r.err;
        EXPECT_EQ(recorded(), call) << editor << " " << name;
    }
}

TEST_F(CmdTool, NotepadWithoutAFileNameShowsNothing) {
    ToolResult r = run_on_terminal({"/c", "notepad "}, environment({"VISUAL=" + editor_.string()}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(something_ran());
}

TEST_F(CmdTool, CommandWordIsMatchedWithoutRegardToCaseAfterLeadingBlanks) {
    ToolResult r = run_on_terminal({"/C", "  NotePad x.txt"}, environment({"VISUAL=" + editor_.string()}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(recorded(), (std::vector<std::string>{"editor", "./x.txt"}));
}

TEST_F(CmdTool, AnythingButNotepadIsRefusedWithAMessage) {
    const std::vector<std::vector<std::string>> refused = {
        {"/c", "dir x.txt"},
        {"/c", "notepadx y.txt"},
        {"/c", "   "},
        {"/c", ""},
        {"/k", "notepad y.txt"},
        {"/c"},
        {"/c", "notepad", "y.txt"},
        {},
    };
    for (const auto& arguments : refused) {
        ToolResult r = run_without_terminal(arguments, environment({"VISUAL=" + editor_.string()}));
        std::string shown = arguments.empty() ? "(none)" : arguments.back();
        EXPECT_NE(r.status, 0) << shown;
        EXPECT_EQ(r.err.rfind("cmd: ", 0), 0u) << shown << ": " << r.err;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_FALSE(something_ran()) << shown;
    }
}

// The editors and pagers the viewer is tested with, as the user would have
// them, with the keys that leave them once they show the report.
struct Viewer {
    const char* program;
    const char* keys;
    bool pager;  // tried as PAGER too
};

void PrintTo(const Viewer& viewer, std::ostream* out) { *out << viewer.program; }

const Viewer viewers[] = {
    {"vi", ":q!\r", false}, {"vim", ":q!\r", false}, {"nano", "\x18", false},
    {"less", "q", true},     {"more", "q", true},      {"cat", "", true},
};

// Report names that a program would take for an option, a command to run
// at start, or a shell command.
const char* const hostile_names[] = {"-x.new.txt", "+x.new.txt", "+!touch pwned.new.txt"};

class CmdToolViewer : public CmdTool {
protected:
    // Runs the viewer on a report of that name in a folder of its own, with
    // `variable` naming the program; the report must be shown, stay as it
    // was and be the only file there.
    void expect_shown(const std::vector<std::string>& command, const std::string& name, const std::string& variable,
                      const std::string& keys) {
        const fs::path work = dir_ / "work";
        const fs::path home = dir_ / "home";
        fs::remove_all(work);
        fs::create_directories(work);
        fs::create_directories(home);
        std::ofstream(work / name, std::ios::binary) << report_bytes;
        ToolResult r = run_on_terminal(TerminalRun{
            command,
            {"PATH=/usr/bin:/bin", "HOME=" + home.string(), "TERM=vt100", "LC_ALL=C.UTF-8", variable},
            keys,
            work.string()});
        const std::string what = variable + ", name " + name;
        EXPECT_EQ(r.status, 0) << what << ": " << r.err;
        EXPECT_EQ(r.err, "") << what;
        EXPECT_NE(r.out.find("1.4E+01"), std::string::npos) << what << ": the report was not shown:\n" << r.out;
        EXPECT_EQ(files_in(work), std::vector<std::string>{name}) << what;
        EXPECT_EQ(read_file(work / name), report_bytes) << what;
    }
};

class CmdToolViewers : public CmdToolViewer, public ::testing::WithParamInterface<Viewer> {};

TEST_P(CmdToolViewers, HostileReportNamesAreShownAsFiles) {
    const Viewer& viewer = GetParam();
    const std::string path = "/usr/bin/" + std::string(viewer.program);
    ASSERT_EQ(::access(path.c_str(), X_OK), 0) << path << " is missing: tools/setup tests installs it";
    for (const char* name : hostile_names) {
        expect_shown(tool_call({"/c", "notepad " + std::string(name)}), name, "VISUAL=" + path, viewer.keys);
        if (viewer.pager)
            expect_shown(tool_call({"/c", "notepad " + std::string(name)}), name, "PAGER=" + path, viewer.keys);
    }
}

INSTANTIATE_TEST_SUITE_P(, CmdToolViewers, ::testing::ValuesIn(viewers),
                         [](const ::testing::TestParamInfo<Viewer>& info) { return std::string(info.param.program); });

// The command that made vim write the output of `id` over the report.
TEST_F(CmdToolViewer, VimThroughShGetsTheNameOfAnExCommandAsItsFile) {
    expect_shown({"/bin/sh", tool, "/c", "notepad +!id>pwned.new.txt"}, "+!id>pwned.new.txt", "EDITOR=vim", ":q!\r");
}

// The real program, Newton-Raphson, and a base name that vim would run as
// an Ex command: vim shows the report, which stays the program's own.
TEST(CmdToolWithTheProgram, VimShowsTheReportOfABaseNameThatIsAnExCommand) {
    e2e::RunOptions options;
    options.directory = e2e::make_temp_dir();
    const std::string home = e2e::make_temp_dir();
    options.keep_comspec = true;
    options.environment = {{"COMSPEC", tool},  {"EDITOR", "vim"},     {"HOME", home},  {"TERM", "vt100"},
                           {"LINES", "24"},    {"COLUMNS", "80"},     {"LC_ALL", "C.UTF-8"}};
    options.unset = {"VISUAL", "PAGER"};
    options.typed_lines = {"4\n", "+!id>pwned\n", "1e-8\n", "10\n", "14\n", ":q!\r"};
    const e2e::RunResult run = e2e::run_on_terminal(options);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.ends_with("Stop - Program terminated.\r\n")) << e2e::visible(run.out);
    EXPECT_NE(run.out.find("Newton-Raphson"), std::string::npos) << "vim did not show the report:\n"
                                                                 << e2e::visible(run.out);
    EXPECT_EQ(files_in(options.directory), std::vector<std::string>{"+!id>pwned.new.txt"});
    EXPECT_TRUE(read_file(fs::path(options.directory) / "+!id>pwned.new.txt")
                    .starts_with("Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo de Newton-Raphson\r\n"));
}

}  // namespace
