#include "io/command/command.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "io/chars/array.hpp"
#include "support/files.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string padded(std::string text, std::size_t length) {
    text.resize(length, ' ');
    return text;
}

using test_files::read_file;

void write_file(const fs::path& path, const std::string& bytes, fs::perms perms) {
    std::ofstream(path, std::ios::binary) << bytes;
    fs::permissions(path, perms);
}

// Sets or removes an environment variable for one test, restoring it after.
class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

constexpr fs::perms executable = fs::perms::owner_all;
constexpr fs::perms readable = fs::perms::owner_read | fs::perms::owner_write;

// A directory with a command processor that records its arguments (each
// followed by a NUL) and its working directory, and exits with $FAKE_EXIT.
class CommandRun : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "command_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        processor_ = dir_ / "processor";
        write_processor(processor_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write_processor(const fs::path& path) {
        write_file(path,
                   "#!/bin/sh\n"
                   "for a in \"$@\"; do printf '%s\\000' \"$a\"; done > '" + (dir_ / "record").string() + "'\n"
                   "pwd > '" + (dir_ / "cwd").string() + "'\n"
                   "exit \"${FAKE_EXIT:-0}\"\n",
                   executable);
    }

    bool processor_ran() const { return fs::exists(dir_ / "record"); }

    std::vector<std::string> recorded_arguments() const {
        std::vector<std::string> arguments;
        std::string record = read_file(dir_ / "record");
        std::size_t start = 0;
        for (std::size_t end; (end = record.find('\0', start)) != std::string::npos; start = end + 1)
            arguments.push_back(record.substr(start, end - start));
        return arguments;
    }

    int run(const std::string& command) { return io::run_command(command.data(), static_cast<int>(command.size())); }

    fs::path dir_;
    fs::path processor_;
};

TEST(CommandLine, TrailingBlanksAreDroppedLeadingAndInnerOnesKept) {
    std::string comando = padded("notepad raiz.bis.txt    x" + std::string(3, 'y'), 78);
    ASSERT_EQ(comando.size() - 50, 28u);
    EXPECT_EQ(io::build_command_line("cmd.exe", comando.data(), 78), "cmd.exe /c notepad raiz.bis.txt    xyyy");
    EXPECT_EQ(io::build_command_line("cmd.exe", "  notepad a  ", 13), "cmd.exe /c   notepad a");
}

TEST(CommandLine, SeventyEightCharactersWithFiftyTrailingBlanks) {
    std::string text(28, 'c');
    std::string comando = padded(text, 78);
    std::string line = io::build_command_line("C:\\WINDOWS\\system32\\cmd.exe", comando.data(), 78);
    EXPECT_EQ(line, "C:\\WINDOWS\\system32\\cmd.exe /c " + text);
    EXPECT_NE(line.back(), ' ');
}

TEST(CommandLine, AllBlankCommandEndsInTheSwitch) {
    std::string comando(78, ' ');
    EXPECT_EQ(io::build_command_line("cmd.exe", comando.data(), 78), "cmd.exe /c ");
    EXPECT_EQ(io::build_command_line("cmd.exe", comando.data(), 0), "cmd.exe /c ");
}

TEST(CommandLine, EndsAtTheFirstNul) {
    std::string comando = padded("notepad " + std::string(60, '\0') + ".bis.txt", 78);
    EXPECT_EQ(io::build_command_line("cmd.exe", comando.data(), 78), "cmd.exe /c notepad ");
    std::string inner = "notepad a\0b.txt"s;
    EXPECT_EQ(io::build_command_line("/bin/p", inner.data(), static_cast<int>(inner.size())), "/bin/p /c notepad a");
}

TEST_F(CommandRun, ProcessorReceivesTheSwitchAndTheCommandAsSeparateArguments) {
    ScopedVariable comspec("COMSPEC", processor_.string());
    std::string comando = padded("notepad raiz.bis.txt", 78);
    EXPECT_EQ(run(comando), 0);
    EXPECT_EQ(recorded_arguments(), (std::vector<std::string>{"/c", "notepad raiz.bis.txt"}));
}

TEST_F(CommandRun, CommandTextIsOneArgumentNeverInterpreted) {
    ScopedVariable comspec("COMSPEC", processor_.string());
    std::string marker = (dir_ / "touched").string();
    std::string text = "  notepad $(touch " + marker + "); a  \"b\" 'c' *  \t|x";
    EXPECT_EQ(run(padded(text, 120)), 0);
    EXPECT_EQ(recorded_arguments(), (std::vector<std::string>{"/c", text}));
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(CommandRun, ResultIsTheProcessorExitCode) {
    ScopedVariable comspec("COMSPEC", processor_.string());
    {
        ScopedVariable code("FAKE_EXIT", "37");
        EXPECT_EQ(run("notepad x"), 37);
    }
    {
        ScopedVariable code("FAKE_EXIT", "0");
        EXPECT_EQ(run("notepad x"), 0);
    }
    write_file(processor_, "#!/bin/sh\nkill -TERM $$\n", executable);
    EXPECT_EQ(run("notepad x"), 128 + 15);
}

TEST_F(CommandRun, ProcessorRunsInTheCurrentDirectory) {
    ScopedVariable comspec("COMSPEC", processor_.string());
    fs::path work = dir_ / "work";
    fs::create_directory(work);
    fs::path old = fs::current_path();
    fs::current_path(work);
    int result = run("notepad x");
    fs::current_path(old);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(read_file(dir_ / "cwd"), fs::canonical(work).string() + "\n");
}

TEST_F(CommandRun, AllBlankCommandPassesAnEmptyCommandArgument) {
    ScopedVariable comspec("COMSPEC", processor_.string());
    EXPECT_EQ(run(std::string(78, ' ')), 0);
    EXPECT_EQ(recorded_arguments(), (std::vector<std::string>{"/c", ""}));
}

TEST_F(CommandRun, NulInsideTheCommandCutsTheArgument) {
    ScopedVariable comspec("COMSPEC", processor_.string());
    EXPECT_EQ(run(padded("notepad " + std::string(60, '\0') + ".bis.txt", 78)), 0);
    EXPECT_EQ(recorded_arguments(), (std::vector<std::string>{"/c", "notepad "}));
}

TEST_F(CommandRun, WithoutComspecTheProcessorIsCmdExeFromThePath) {
    fs::copy_file(processor_, dir_ / "cmd.exe");
    ScopedVariable path("PATH", dir_.string());
    for (std::optional<std::string> value : {std::optional<std::string>{}, std::optional<std::string>{""}}) {
        ScopedVariable comspec("COMSPEC", value);
        fs::remove(dir_ / "record");
        EXPECT_EQ(run("notepad a.txt"), 0);
        EXPECT_EQ(recorded_arguments(), (std::vector<std::string>{"/c", "notepad a.txt"}));
    }
}

TEST_F(CommandRun, ProcessorNameWithoutASlashIsLookedUpInThePath) {
    ScopedVariable path("PATH", "/nonexistent-dir:" + dir_.string());
    ScopedVariable comspec("COMSPEC", "processor");
    EXPECT_EQ(run("notepad b.txt"), 0);
    EXPECT_EQ(recorded_arguments(), (std::vector<std::string>{"/c", "notepad b.txt"}));
}

TEST_F(CommandRun, CommandOfMoreThan1024CharactersStartsNothing) {
    ScopedVariable comspec("COMSPEC", processor_.string());
    EXPECT_EQ(run(std::string(1025, 'x')), -1);
    EXPECT_EQ(io::last_command_error(), static_cast<int>(io::CommandFailure::too_long));
    EXPECT_EQ(io::last_command_error(), 7);
    EXPECT_FALSE(processor_ran());

    // 1024 characters followed by blanks still run.
    std::string longest(1024, 'y');
    EXPECT_EQ(run(padded(longest, 2000)), 0);
    EXPECT_EQ(recorded_arguments(), (std::vector<std::string>{"/c", longest}));
}

TEST_F(CommandRun, SuccessLeavesTheLastReasonAsItWas) {
    ScopedVariable comspec("COMSPEC", processor_.string());
    EXPECT_EQ(run(std::string(1025, 'x')), -1);
    EXPECT_EQ(run("notepad x"), 0);
    EXPECT_EQ(io::last_command_error(), 7);
}

TEST_F(CommandRun, ProcessorPathOfMoreThan260CharactersFailsWithReason2) {
    // A real processor whose path is exactly 260 characters runs; a link to it
    // one character longer is refused before anything starts.
    std::size_t base = dir_.string().size() + 1;
    std::size_t room = 260 - base - std::string("/p").size();
    ASSERT_LE(room, 255u);
    fs::path sub = dir_ / std::string(room, 'd');
    fs::create_directory(sub);
    fs::path at_limit = sub / "p";
    fs::path beyond = sub / "p2";
    fs::copy_file(processor_, at_limit);
    fs::create_symlink(at_limit, beyond);
    ASSERT_EQ(at_limit.string().size(), 260u);

    {
        ScopedVariable comspec("COMSPEC", beyond.string());
        EXPECT_EQ(run("notepad x"), -1);
        EXPECT_EQ(io::last_command_error(), static_cast<int>(io::CommandFailure::not_found));
        EXPECT_FALSE(processor_ran());
    }
    {
        ScopedVariable comspec("COMSPEC", at_limit.string());
        EXPECT_EQ(run("notepad x"), 0);
        EXPECT_TRUE(processor_ran());
    }
}

TEST_F(CommandRun, ProcessorThatCannotBeFoundFailsWithReason2) {
    write_file(dir_ / "plain", "text\n", readable);
    for (std::string missing : {(dir_ / "missing").string(), (dir_ / "plain" / "x").string(), "no-such-processor"s}) {
        ScopedVariable comspec("COMSPEC", missing);
        ScopedVariable path("PATH", dir_.string());
        EXPECT_EQ(run("notepad x"), -1) << missing;
        EXPECT_EQ(io::last_command_error(), 2) << missing;
    }
}

TEST_F(CommandRun, ProcessorThatIsNotExecutableFailsWithReason8) {
    write_file(dir_ / "no-permission", "#!/bin/sh\nexit 0\n", readable);
    write_file(dir_ / "no-format", std::string("\x7f" "ELF\x01\x02garbage", 13), executable);
    fs::create_directory(dir_ / "a-directory");
    for (const char* name : {"no-permission", "no-format", "a-directory"}) {
        ScopedVariable comspec("COMSPEC", (dir_ / name).string());
        EXPECT_EQ(run("notepad x"), -1) << name;
        EXPECT_EQ(io::last_command_error(), 8) << name;
    }
}

TEST_F(CommandRun, OtherStartFailuresGiveReason12) {
    // A link that points at itself can be neither found nor run.
    fs::create_symlink(dir_ / "loop", dir_ / "loop");
    ScopedVariable comspec("COMSPEC", (dir_ / "loop").string());
    EXPECT_EQ(run("notepad x"), -1);
    EXPECT_EQ(io::last_command_error(), 12);
}

TEST_F(CommandRun, BufferIsReleasedOnEveryPath) {
    std::size_t blocks = io::allocated_block_count();
    {
        ScopedVariable comspec("COMSPEC", processor_.string());
        EXPECT_EQ(run("notepad x"), 0);
        EXPECT_EQ(run(std::string(1025, 'x')), -1);
    }
    {
        ScopedVariable comspec("COMSPEC", (dir_ / "missing").string());
        EXPECT_EQ(run("notepad x"), -1);
    }
    {
        ScopedVariable comspec("COMSPEC", std::string(300, 'p'));
        EXPECT_EQ(run("notepad x"), -1);
    }
    EXPECT_EQ(io::allocated_block_count(), blocks);
}

}  // namespace
