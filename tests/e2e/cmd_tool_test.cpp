// The stand-in command processor tools/cmd, run as a real process with and
// without a terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pty.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "support/files.hpp"

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

[[noreturn]] void exec_tool(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    ::execve(tool.c_str(), argv.data(), envp.data());
    ::_exit(127);
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
        exec_tool(arguments, environment);
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

// Standard input and output are a pseudo-terminal, standard error a pipe.
ToolResult run_on_terminal(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    int err[2];
    if (::pipe(err) != 0) return {};
    int master = -1;
    pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ::dup2(err[1], 2);
        ::close(err[0]);
        exec_tool(arguments, environment);
    }
    ::close(err[1]);
    ToolResult result;
    result.out = drain(master);
    result.err = drain(err[0]);
    ::close(master);
    ::close(err[0]);
    result.status = wait_status(pid);
    return result;
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
    EXPECT_EQ(recorded(), (std::vector<std::string>{"editor", "my report.bis.txt"}));
}

TEST_F(CmdTool, OnATerminalShellTextIsOneLiteralFileName) {
    fs::path marker = dir_ / "marker";
    fs::path keep = dir_ / "keep";
    fs::create_directory(keep);
    std::string name = "$(touch " + marker.string() + "); rm -rf " + keep.string() + " *  'q' \"d\"";
    ToolResult r = run_on_terminal({"/c", "notepad " + name}, environment({"VISUAL=" + editor_.string()}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(recorded(), (std::vector<std::string>{"editor", name}));
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_TRUE(fs::exists(keep));
}

TEST_F(CmdTool, EditorIsUsedWhenVisualIsUnsetAndMayCarryOptions) {
    ToolResult r = run_on_terminal({"/c", "notepad a.txt"}, environment({"EDITOR=" + editor_.string() + " -w  --x"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(recorded(), (std::vector<std::string>{"editor", "-w", "--x", "a.txt"}));
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

TEST_F(CmdTool, FileNameStartingWithADashIsNotTakenForAnOption) {
    ToolResult r = run_on_terminal({"/c", "notepad -rf.txt"}, environment({"VISUAL=" + editor_.string()}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(recorded(), (std::vector<std::string>{"editor", "./-rf.txt"}));
}

TEST_F(CmdTool, NotepadWithoutAFileNameShowsNothing) {
    ToolResult r = run_on_terminal({"/c", "notepad "}, environment({"VISUAL=" + editor_.string()}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(something_ran());
}

TEST_F(CmdTool, CommandWordIsMatchedWithoutRegardToCaseAfterLeadingBlanks) {
    ToolResult r = run_on_terminal({"/C", "  NotePad x.txt"}, environment({"VISUAL=" + editor_.string()}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(recorded(), (std::vector<std::string>{"editor", "x.txt"}));
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

}  // namespace
