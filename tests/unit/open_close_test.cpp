// Open and close: names, devices, creation modes, the cut at the first
// write, the unit table, and the errors each reports or returns.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/messages.hpp"
#include "io/statement/write_statement.hpp"
#include "io/units/keywords.hpp"
#include "io/units/open_names.hpp"
#include "io/units/open_settings.hpp"
#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "io/units/record_output.hpp"
#include "io/units/open.hpp"
#include "io/units/close.hpp"
#include "platform/console.hpp"
#include "support/files.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr int report_unit = 5;
constexpr uid_t nobody = 65534;

using test_files::read_file;

void write_file(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool exists(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0;
}

io::SpecifierText text(const std::string& value) { return {value.data(), static_cast<int>(value.size())}; }

// A name as the program passes it: a fixed-length value padded with blanks.
std::string padded(std::string name, std::size_t length = 70) {
    name.resize(length, ' ');
    return name;
}

int open_named(int unit, const std::string& file, int flags = 0) {
    io::OpenSpecifiers specifiers;
    specifiers.file = text(file);
    return io::open_unit(unit, specifiers, flags);
}

int close_default(int unit) { return io::close_unit(unit, nullptr, 0, 0); }

// One output statement's worth of bytes on a connected file unit.
void write_bytes(int unit, const std::string& bytes) {
    io::Unit* connected = io::find_connected(unit);
    ASSERT_NE(connected, nullptr);
    ASSERT_FALSE(io::prepare_for_writing(*connected).failed());
    ASSERT_FALSE(io::put_bytes(*connected, bytes.data(), bytes.size()).failed());
}

std::string regex_escaped(const std::string& literal) {
    std::string out;
    for (char c : literal) {
        if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

std::string report_pattern(int number, const std::string& statement, const std::string& name) {
    return "run-time error F" + std::to_string(number) + ": " + statement + "\\(" + regex_escaped(name) + "\\)";
}

// Gives up root so that file permissions bind; only in a child process.
void become_nobody() {
    if (::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
        std::perror("setuid");
        std::_Exit(99);
    }
}

// A child's verdict on a returned status: exit status 0 when it is the one
// wanted, else 1 with the status shown on standard error.
int verdict(int got, int wanted) {
    if (got == wanted) return 0;
    std::fprintf(stderr, "status %d, wanted %d\n", got, wanted);
    return 1;
}

struct ChildResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string drain(int handle) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(handle, buffer, sizeof buffer);
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(handle);
    return bytes;
}

// Runs `body` in a child process whose standard input holds `input` and
// whose standard output and error are collected. The child's console units
// are made afresh; its exit status is what `body` returns.
ChildResult run_child(const std::string& input, const std::function<int()>& body) {
    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (::pipe(in_pipe) != 0 || ::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) return {};
    // Small inputs fit the pipe, so they are written before the child runs.
    if (::write(in_pipe[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) return {};
    ::close(in_pipe[1]);
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(in_pipe[0], 0);
        ::dup2(out_pipe[1], 1);
        ::dup2(err_pipe[1], 2);
        ::close(in_pipe[0]);
        ::close(out_pipe[0]);
        ::close(out_pipe[1]);
        ::close(err_pipe[0]);
        ::close(err_pipe[1]);
        io::create_console_units();
        int status = body();
        std::fflush(nullptr);
        std::_Exit(status);
    }
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    ChildResult result;
    result.out = drain(out_pipe[0]);
    result.err = drain(err_pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

class OpenClose : public ::testing::Test {
protected:
    void SetUp() override {
        io::create_console_units();
        char pattern[] = "/tmp/open_close_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        // Reachable by the unprivileged user of the permission tests.
        ::chmod(dir_.c_str(), 0777);
    }

    void TearDown() override {
        for (int i = 0; i < io::unit_slots; ++i)
            if (io::Unit* unit = io::table_slot(i)) io::close_unit(unit->number, nullptr, 0, io::return_errors_flag);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
};

// ---------------------------------------------------------------- keywords

TEST(Keywords, MatchInAnyCaseWithTrailingBlanksOnly) {
    constexpr std::string_view statuses[] = {"OLD", "NEW", "SCRATCH", "REPLACE", "UNKNOWN"};
    auto match = [&](const std::string& value) { return io::match_keyword(value.data(), int(value.size()), statuses); };
    EXPECT_EQ(match("UNKNOWN"), 4);
    EXPECT_EQ(match("unknown"), 4);
    EXPECT_EQ(match("UnKnOwN   "), 4);
    EXPECT_EQ(match("old"), 0);
    EXPECT_EQ(match("UNKNOWNX"), -1);
    EXPECT_EQ(match("UNKNOWN  X"), -1);
    EXPECT_EQ(match(" UNKNOWN"), -1);
    EXPECT_EQ(match("UNKNOW"), -1);
    EXPECT_EQ(match("UNKNOWN\t"), -1);
    EXPECT_EQ(match(""), -1);
    EXPECT_EQ(io::match_keyword("OLD", -3, statuses), -1);

    constexpr std::string_view actions[] = {"READWRITE", "READ", "WRITE"};
    EXPECT_EQ(io::match_keyword("read ", 5, actions), 1);
    EXPECT_EQ(io::match_keyword("ReadWrite", 9, actions), 0);
}

// ------------------------------------------------------------------- names

TEST(FileNames, TrimmedCutAtNulAndLimited) {
    EXPECT_EQ(io::file_name_from_text("  report.txt   ", 15), "report.txt");
    EXPECT_EQ(io::file_name_from_text("a b.txt ", 8), "a b.txt");
    EXPECT_EQ(io::file_name_from_text("name.txt\0garbage", 16), "name.txt");
    EXPECT_EQ(io::file_name_from_text("\0name.txt", 9), "");
    EXPECT_EQ(io::file_name_from_text("      ", 6), "");
    EXPECT_EQ(io::file_name_from_text(nullptr, 0), "");
    // Only the blank is trimmed.
    EXPECT_EQ(io::file_name_from_text("\tx\t", 3), "\tx\t");

    std::string long_text(300, 'n');
    EXPECT_EQ(io::file_name_from_text(long_text.data(), 300).size(), 259u);
    // The limit applies before trimming: what lies beyond character 259 is never seen.
    std::string late = std::string(259, ' ') + "late.txt";
    EXPECT_EQ(io::file_name_from_text(late.data(), int(late.size())), "");
}

TEST(FileNames, DeviceNames) {
    EXPECT_EQ(io::device_of("CON"), io::Device::console);
    EXPECT_EQ(io::device_of("con"), io::Device::console);
    EXPECT_EQ(io::device_of("Con.txt"), io::Device::console);
    EXPECT_EQ(io::device_of("con."), io::Device::console);
    EXPECT_EQ(io::device_of("USER"), io::Device::console);
    EXPECT_EQ(io::device_of("err"), io::Device::error);
    EXPECT_EQ(io::device_of("nul"), io::Device::null);
    EXPECT_EQ(io::device_of("NUL.dat"), io::Device::null);
    EXPECT_EQ(io::device_of("prn"), io::Device::unavailable);
    EXPECT_EQ(io::device_of("aux.log"), io::Device::unavailable);
    EXPECT_EQ(io::device_of("COM3.txt"), io::Device::unavailable);
    EXPECT_EQ(io::device_of("LINE"), io::Device::unavailable);
    EXPECT_EQ(io::device_of("lpt4"), io::Device::unavailable);
    // With an extension, names beginning with E, L or U are files.
    EXPECT_EQ(io::device_of("ERR.txt"), io::Device::none);
    EXPECT_EQ(io::device_of("lpt1.txt"), io::Device::none);
    EXPECT_EQ(io::device_of("LINE.x"), io::Device::none);
    EXPECT_EQ(io::device_of("user.dat"), io::Device::none);
    // Only the part before the last extension counts.
    EXPECT_EQ(io::device_of("con.bis.txt"), io::Device::none);
    EXPECT_EQ(io::device_of("COM5"), io::Device::none);
    EXPECT_EQ(io::device_of("CONS"), io::Device::none);
    EXPECT_EQ(io::device_of("dir/con"), io::Device::none);
    EXPECT_EQ(io::device_of(""), io::Device::none);

    EXPECT_EQ(io::console_alias("user"), "CON");
    EXPECT_EQ(io::console_alias("USER"), "CON");
    EXPECT_EQ(io::console_alias("users"), "users");
}

// --------------------------------------------------------------- settings

TEST(OpenSettings, DefaultsOfTheReportConnection) {
    io::OpenSpecifiers specifiers;
    std::string file = "r.txt";
    specifiers.file = text(file);
    io::ResolvedOpen resolved = io::resolve_open_specifiers(specifiers);
    ASSERT_EQ(resolved.error, 0);
    EXPECT_EQ(resolved.settings.status, io::OpenStatus::unknown);
    EXPECT_EQ(resolved.settings.kind, io::UnitKind::formatted_sequential);
    EXPECT_EQ(resolved.settings.recl, 1024);
    EXPECT_EQ(resolved.settings.buffer_size, io::file_buffer_size);
    EXPECT_FALSE(resolved.settings.action.has_value());
    EXPECT_FALSE(resolved.settings.at_end);
    EXPECT_FALSE(resolved.settings.blank_zero);
    EXPECT_TRUE(resolved.settings.pad);
    EXPECT_EQ(resolved.settings.delim, io::Delim::none);
    EXPECT_EQ(resolved.settings.share, io::Share::deny_none);

    io::OpenSpecifiers no_file;
    EXPECT_EQ(io::resolve_open_specifiers(no_file).settings.status, io::OpenStatus::scratch);
}

TEST(OpenSettings, KindFromAccessAndForm) {
    auto kind_of = [](const char* access, const char* form, std::optional<int> recl) {
        io::OpenSpecifiers specifiers;
        std::string a = access, f = form;
        if (!a.empty()) specifiers.access = text(a);
        if (!f.empty()) specifiers.form = text(f);
        specifiers.recl = recl;
        io::ResolvedOpen resolved = io::resolve_open_specifiers(specifiers);
        EXPECT_EQ(resolved.error, 0) << access << " " << form;
        return std::pair(resolved.settings.kind, resolved.settings.recl);
    };
    using K = io::UnitKind;
    EXPECT_EQ(kind_of("", "", {}), std::pair(K::formatted_sequential, 1024));
    EXPECT_EQ(kind_of("", "UNFORMATTED", {}), std::pair(K::unformatted_sequential, 65536));
    EXPECT_EQ(kind_of("sequential", "binary", {}), std::pair(K::binary_sequential, 65536));
    EXPECT_EQ(kind_of("DIRECT", "", 80), std::pair(K::unformatted_direct, 80));
    EXPECT_EQ(kind_of("DIRECT", "FORMATTED", 80), std::pair(K::formatted_direct, 80));
    EXPECT_EQ(kind_of("DIRECT", "BINARY", 16), std::pair(K::binary_direct, 16));
    EXPECT_EQ(kind_of("APPEND", "", {}), std::pair(K::formatted_sequential, 1024));
}

TEST(OpenSettings, PositionAppendMakesTheAccessSequential) {
    io::OpenSpecifiers specifiers;
    std::string direct = "DIRECT", append = "append";
    specifiers.access = text(direct);
    specifiers.position = text(append);
    io::ResolvedOpen resolved = io::resolve_open_specifiers(specifiers);
    ASSERT_EQ(resolved.error, 0);
    EXPECT_EQ(resolved.settings.access, io::Access::sequential);
    EXPECT_TRUE(resolved.settings.at_end);
    EXPECT_EQ(resolved.settings.kind, io::UnitKind::formatted_sequential);
}

TEST(OpenSettings, ActionComesFromActionElseMode) {
    io::OpenSpecifiers specifiers;
    std::string read = "READ", write = "write";
    specifiers.mode = text(write);
    EXPECT_EQ(io::resolve_open_specifiers(specifiers).settings.action, io::Action::write);
    specifiers.action = text(read);
    EXPECT_EQ(io::resolve_open_specifiers(specifiers).settings.action, io::Action::read);
}

TEST(OpenSettings, BlockSizeRoundsUpToHalfKilobytes) {
    EXPECT_EQ(io::buffer_size_for(std::nullopt), io::file_buffer_size);
    EXPECT_EQ(io::buffer_size_for(1), 512);
    EXPECT_EQ(io::buffer_size_for(512), 512);
    EXPECT_EQ(io::buffer_size_for(513), 1024);
    EXPECT_EQ(io::buffer_size_for(4000), 4096);
    EXPECT_EQ(io::buffer_size_for(0), io::file_buffer_size);
    EXPECT_EQ(io::buffer_size_for(-5), io::file_buffer_size);
    EXPECT_EQ(io::buffer_size_for(2147483136), 2147483136);
    EXPECT_EQ(io::buffer_size_for(2147483647), 2147483136);
}

// Each bad specifier value, or a forbidden combination, gives its number.
TEST_F(OpenClose, BadSpecifiersGiveTheirNumbersAndTouchNothing) {
    const std::string file = path("never.txt");
    const std::string bad = "BAD", unformatted = "UNFORMATTED", direct = "DIRECT", none = "NONE", yes = "YES",
                      scratch = "scratch ";
    struct Case {
        const char* what;
        std::function<void(io::OpenSpecifiers&)> set;
        int error;
    };
    const std::vector<Case> cases = {
        {"STATUS", [&](auto& s) { s.status = text(bad); }, rt::msg::bad_status},
        {"STATUS SCRATCH with FILE", [&](auto& s) { s.status = text(scratch); }, rt::msg::scratch_with_file},
        {"ACCESS", [&](auto& s) { s.access = text(bad); }, rt::msg::bad_access},
        {"FORM", [&](auto& s) { s.form = text(bad); }, rt::msg::bad_form},
        {"RECL zero", [&](auto& s) { s.recl = 0; }, rt::msg::bad_recl},
        {"RECL negative", [&](auto& s) { s.recl = -80; }, rt::msg::bad_recl},
        {"DIRECT without RECL", [&](auto& s) { s.access = text(direct); }, rt::msg::recl_required},
        {"BLANK", [&](auto& s) { s.blank = text(bad); }, rt::msg::bad_blank},
        {"POSITION", [&](auto& s) { s.position = text(bad); }, rt::msg::bad_position},
        {"ACTION", [&](auto& s) { s.action = text(bad); }, rt::msg::bad_action},
        {"DELIM", [&](auto& s) { s.delim = text(bad); }, rt::msg::bad_delim},
        {"DELIM unformatted", [&](auto& s) { s.form = text(unformatted); s.delim = text(none); }, rt::msg::delim_unformatted},
        {"PAD", [&](auto& s) { s.pad = text(bad); }, rt::msg::bad_pad},
        {"PAD unformatted", [&](auto& s) { s.form = text(unformatted); s.pad = text(yes); }, rt::msg::pad_unformatted},
        {"CARRIAGECONTROL", [&](auto& s) { s.carriage_control = text(bad); }, rt::msg::bad_carriage_control},
        {"focus", [&](auto& s) { s.focus = true; }, rt::msg::focus_not_allowed},
        {"MODE", [&](auto& s) { s.mode = text(bad); }, rt::msg::bad_mode},
        {"SHARE", [&](auto& s) { s.share = text(bad); }, rt::msg::bad_share},
        {"title", [&](auto& s) { s.title = text(yes); }, rt::msg::title_not_allowed},
        // The first bad specifier in statement order is the one reported.
        {"STATUS before SHARE", [&](auto& s) { s.share = text(bad); s.status = text(bad); }, rt::msg::bad_status},
    };
    for (const Case& c : cases) {
        io::OpenSpecifiers specifiers;
        specifiers.file = text(file);
        c.set(specifiers);
        EXPECT_EQ(io::open_unit(report_unit, specifiers, io::return_errors_flag), c.error) << c.what;
        EXPECT_EQ(io::find_connected(report_unit), nullptr) << c.what;
        EXPECT_FALSE(exists(file)) << c.what;
    }
}

TEST_F(OpenClose, AcceptedKeywordSpellings) {
    const std::string file = padded(path("keywords.txt"));
    for (std::string status : {"unknown"s, "UnKnown    "s}) {
        io::OpenSpecifiers specifiers;
        specifiers.file = text(file);
        specifiers.status = text(status);
        EXPECT_EQ(io::open_unit(report_unit, specifiers, 0), 0) << status;
        EXPECT_TRUE(exists(path("keywords.txt")));
        EXPECT_EQ(close_default(report_unit), 0);
    }
    std::string extra = "UNKNOWN.";
    io::OpenSpecifiers specifiers;
    specifiers.file = text(file);
    specifiers.status = text(extra);
    EXPECT_EQ(io::open_unit(report_unit, specifiers, io::return_errors_flag), rt::msg::bad_status);
}

TEST_F(OpenClose, BadStatusIsReportedNamingTheFile) {
    const std::string name = path("status.txt");
    const std::string file = padded(name), status = "UNKNOWN x";
    io::OpenSpecifiers specifiers;
    specifiers.file = text(file);
    specifiers.status = text(status);
    EXPECT_EXIT(io::open_unit(report_unit, specifiers, 0), ::testing::ExitedWithCode(1),
                report_pattern(6304, "OPEN", name));
}

TEST_F(OpenClose, UnitNumberOutOfRangeReturnsWithoutReport) {
    const std::string file = path("range.txt");
    for (int number : {32768, -32768, io::default_output_unit, io::default_input_unit, 100000})
        EXPECT_EQ(open_named(number, file, 0), rt::msg::bad_unit_number) << number;
    EXPECT_FALSE(exists(file));
    EXPECT_EQ(open_named(32767, file), 0);
    EXPECT_EQ(close_default(32767), 0);
    EXPECT_EQ(open_named(-32767, file), 0);
    EXPECT_EQ(close_default(-32767), 0);
}

// ----------------------------------------------------- creation and the cut

TEST_F(OpenClose, MissingFileIsCreatedAndHoldsExactlyTheRecords) {
    const std::string name = path("new.bis.txt");
    ASSERT_EQ(open_named(report_unit, padded(name)), 0);
    ASSERT_TRUE(exists(name));
    EXPECT_EQ(read_file(name), "");

    io::Unit* unit = io::lookup_unit(report_unit, io::Direction::output);
    ASSERT_EQ(unit, io::find_connected(report_unit));
    EXPECT_EQ(unit->connection.name, name);
    EXPECT_EQ(unit->connection.kind, io::UnitKind::formatted_sequential);
    EXPECT_EQ(unit->buffer.size, io::file_buffer_size);
    EXPECT_EQ(unit->connection.recl, 1024);
    EXPECT_EQ(unit->connection.action, io::Action::read_write);
    EXPECT_EQ(unit->connection.default_close, io::CloseStatus::keep);
    EXPECT_TRUE(unit->positioned_for_writing);
    EXPECT_GT(unit->connection.out_handle, 2);

    write_bytes(report_unit, "first\r\n");
    write_bytes(report_unit, "second\r\n");
    EXPECT_EQ(close_default(report_unit), 0);
    EXPECT_EQ(read_file(name), "first\r\nsecond\r\n");
    EXPECT_EQ(io::lookup_unit(report_unit, io::Direction::output), &io::console_output_unit());
}

TEST_F(OpenClose, ExistingLongerFileIsCutAtTheFirstWrite) {
    const std::string name = path("old.bis.txt");
    write_file(name, std::string(5000, 'x'));
    ASSERT_EQ(open_named(report_unit, padded(name)), 0);
    io::Unit* unit = io::find_connected(report_unit);
    ASSERT_NE(unit, nullptr);
    EXPECT_FALSE(unit->positioned_for_writing);
    // Opening alone leaves the content.
    EXPECT_EQ(read_file(name).size(), 5000u);

    write_bytes(report_unit, "abc\r\n");
    EXPECT_TRUE(unit->positioned_for_writing);
    EXPECT_EQ(read_file(name), "");
    // Records longer than the buffer pass through it; the file is cut only once.
    const std::string long_record = std::string(2500, 'y') + "\r\n";
    write_bytes(report_unit, long_record);
    EXPECT_EQ(close_default(report_unit), 0);
    EXPECT_EQ(read_file(name), "abc\r\n" + long_record);
}

TEST_F(OpenClose, ExistingFileOpenedAndNeverWrittenKeepsItsContent) {
    const std::string name = path("kept.txt");
    write_file(name, "old report\r\n");
    ASSERT_EQ(open_named(report_unit, padded(name)), 0);
    EXPECT_EQ(close_default(report_unit), 0);
    EXPECT_EQ(read_file(name), "old report\r\n");
}

TEST_F(OpenClose, StatusesDecideHowTheFileIsMade) {
    const std::string present = path("present.txt"), absent = path("absent.txt");
    write_file(present, "content");
    auto open_with = [&](const std::string& file, std::string status) {
        io::OpenSpecifiers specifiers;
        specifiers.file = text(file);
        specifiers.status = text(status);
        return io::open_unit(report_unit, specifiers, io::return_errors_flag);
    };
    EXPECT_EQ(open_with(present, "NEW"), rt::msg::file_exists);
    EXPECT_EQ(open_with(absent, "OLD"), rt::msg::file_not_found);
    EXPECT_FALSE(exists(absent));
    EXPECT_EQ(read_file(present), "content");

    ASSERT_EQ(open_with(present, "OLD"), 0);
    EXPECT_FALSE(io::find_connected(report_unit)->positioned_for_writing);
    EXPECT_EQ(close_default(report_unit), 0);
    EXPECT_EQ(read_file(present), "content");

    ASSERT_EQ(open_with(present, "REPLACE"), 0);
    EXPECT_EQ(read_file(present), "");
    EXPECT_TRUE(io::find_connected(report_unit)->positioned_for_writing);
    EXPECT_EQ(close_default(report_unit), 0);

    ASSERT_EQ(open_with(absent, "NEW"), 0);
    EXPECT_TRUE(exists(absent));
    EXPECT_EQ(close_default(report_unit), 0);
}

TEST_F(OpenClose, PositionAppendWritesAfterTheOldContent) {
    const std::string name = path("append.txt");
    for (std::string specifier : {"position"s, "access"s}) {
        write_file(name, "abc\r\n");
        io::OpenSpecifiers specifiers;
        std::string file = name, append = "APPEND";
        specifiers.file = text(file);
        (specifier == "position" ? specifiers.position : specifiers.access) = text(append);
        ASSERT_EQ(io::open_unit(report_unit, specifiers, 0), 0);
        write_bytes(report_unit, "def\r\n");
        EXPECT_EQ(close_default(report_unit), 0);
        EXPECT_EQ(read_file(name), "abc\r\ndef\r\n") << specifier;
    }
}

TEST_F(OpenClose, BlockSizeSetsTheBuffer) {
    io::OpenSpecifiers specifiers;
    std::string file = path("block.txt");
    specifiers.file = text(file);
    specifiers.blocksize = 1500;
    ASSERT_EQ(io::open_unit(report_unit, specifiers, 0), 0);
    EXPECT_EQ(io::find_connected(report_unit)->buffer.size, 1536);
}

// ------------------------------------------------------------------ errors

TEST_F(OpenClose, MissingDirectoryIsReportedAsNotFound) {
    const std::string name = path("no/such/dir/report.bis.txt");
    EXPECT_EXIT(open_named(report_unit, padded(name)), ::testing::ExitedWithCode(1),
                report_pattern(6416, "OPEN", name));
    EXPECT_EQ(open_named(report_unit, name, io::return_errors_flag), rt::msg::file_not_found);
    EXPECT_EQ(io::find_connected(report_unit), nullptr);
}

TEST_F(OpenClose, RefusedNamesAndPaths) {
    write_file(path("plain.txt"), "x");
    // A regular file used as a directory.
    EXPECT_EQ(open_named(report_unit, path("plain.txt/inner.txt"), io::return_errors_flag), rt::msg::file_not_found);
    // A directory is not a file to connect.
    fs::create_directory(path("folder"));
    EXPECT_EQ(open_named(report_unit, path("folder"), io::return_errors_flag), rt::msg::name_refused);
    // A name component longer than the system allows (nothing is created).
    EXPECT_EQ(open_named(report_unit, std::string(256, 'n'), io::return_errors_flag), rt::msg::name_refused);
    EXPECT_EQ(io::find_connected(report_unit), nullptr);
}

TEST_F(OpenClose, TooManyOpenFiles) {
    const std::string name = path("handles.txt");
    ChildResult child = run_child("", [&] {
        rlimit limit{32, 32};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return 90;
        while (::open("/dev/null", O_RDONLY) >= 0) {
        }
        return verdict(open_named(report_unit, name, io::return_errors_flag), rt::msg::too_many_open_files);
    });
    EXPECT_EQ(child.status, 0) << child.err;
}

TEST_F(OpenClose, ReadOnlyFileIsOpenedForReadingAndTheFirstWriteFails) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    const std::string name = path("readonly.bis.txt");
    write_file(name, "old\r\n");
    ::chmod(name.c_str(), 0444);
    ChildResult child = run_child("", [&] {
        become_nobody();
        if (open_named(report_unit, padded(name)) != 0) return 2;
        io::Unit* unit = io::find_connected(report_unit);
        if (unit->connection.action != io::Action::read) return 3;
        return io::prepare_for_writing(*unit).message_number == rt::msg::write_refused ? 0 : 4;
    });
    EXPECT_EQ(child.status, 0) << child.err;
    EXPECT_EQ(read_file(name), "old\r\n");

    EXPECT_EXIT(
        {
            become_nobody();
            open_named(report_unit, padded(name));
            io::begin_write(report_unit, "('row')", -1);
            io::end_write();
        },
        ::testing::ExitedWithCode(1), report_pattern(6421, "WRITE", name));
    EXPECT_EQ(read_file(name), "old\r\n");
}

TEST_F(OpenClose, FileWithoutAnyAccessIsDenied) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    const std::string name = path("locked.txt");
    write_file(name, "secret");
    ::chmod(name.c_str(), 0000);
    EXPECT_EXIT(
        {
            become_nobody();
            open_named(report_unit, padded(name));
        },
        ::testing::ExitedWithCode(1), report_pattern(6414, "OPEN", name));
}

TEST_F(OpenClose, CreatingInAClosedDirectoryIsDenied) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    fs::create_directory(path("closed"));
    ::chmod(path("closed").c_str(), 0755);
    const std::string name = path("closed/new.txt");
    ChildResult child = run_child("", [&] {
        become_nobody();
        return verdict(open_named(report_unit, name, io::return_errors_flag), rt::msg::access_denied);
    });
    EXPECT_EQ(child.status, 0) << child.err;
    EXPECT_FALSE(exists(name));
}

TEST_F(OpenClose, FullDeviceFailsWhenTheBufferIsPassedOn) {
    ASSERT_EQ(open_named(report_unit, padded("/dev/full")), 0);
    // A device is written as it is: preparing does not try to cut it.
    write_bytes(report_unit, "row\r\n");
    EXPECT_EXIT(close_default(report_unit), ::testing::ExitedWithCode(1), report_pattern(6422, "CLOSE", "/dev/full"));
    // The failed close still disconnects the unit.
    EXPECT_EQ(io::close_unit(report_unit, nullptr, 0, io::return_errors_flag), rt::msg::no_space);
    EXPECT_EQ(io::find_connected(report_unit), nullptr);
}

// -------------------------------------------------------------- unit table

TEST_F(OpenClose, AllSixtyOneSlotsTaken) {
    for (int i = 0; i < io::unit_slots; ++i)
        ASSERT_EQ(open_named(100 + i, path("slot" + std::to_string(i))), 0) << i;
    const std::string extra = path("extra.txt");
    EXPECT_EQ(open_named(200, extra, io::return_errors_flag), rt::msg::no_free_unit);
    EXPECT_FALSE(exists(extra));
    EXPECT_EXIT(open_named(200, extra), ::testing::ExitedWithCode(1), report_pattern(6418, "OPEN", extra));
    // A unit that moves to another file frees its slot first.
    EXPECT_EQ(open_named(100, extra), 0);
    EXPECT_EQ(io::find_connected(100)->connection.name, extra);
}

TEST_F(OpenClose, SameFileOnTwoUnits) {
    const std::string name = path("shared.txt");
    ASSERT_EQ(open_named(8, name), 0);
    const std::string other_spelling = dir_ + "/./shared.txt";
    EXPECT_EQ(open_named(9, other_spelling, io::return_errors_flag), rt::msg::connected_elsewhere);
    EXPECT_EQ(io::find_connected(9), nullptr);
    EXPECT_EXIT(open_named(9, other_spelling), ::testing::ExitedWithCode(1),
                report_pattern(6413, "OPEN", other_spelling));
}

TEST_F(OpenClose, ReopeningTheSameFileChangesOnlyTheSettings) {
    const std::string name = path("same.txt");
    ASSERT_EQ(open_named(8, name), 0);
    io::Unit* unit = io::find_connected(8);
    write_bytes(8, "pending");

    io::OpenSpecifiers specifiers;
    std::string file = dir_ + "/./same.txt", zero = "ZERO", no = "NO", quote = "QUOTE";
    specifiers.file = text(file);
    specifiers.blank = text(zero);
    specifiers.pad = text(no);
    specifiers.delim = text(quote);
    ASSERT_EQ(io::open_unit(8, specifiers, 0), 0);
    EXPECT_EQ(io::find_connected(8), unit);
    EXPECT_EQ(unit->connection.name, name);
    EXPECT_TRUE(unit->settings.blank_zero);
    EXPECT_FALSE(unit->settings.pad);
    EXPECT_EQ(unit->settings.delim, io::Delim::quote);
    EXPECT_EQ(unit->buffer.position, 7);

    // Without FILE the unit's own file is meant.
    io::OpenSpecifiers without_file;
    ASSERT_EQ(io::open_unit(8, without_file, 0), 0);
    EXPECT_EQ(io::find_connected(8), unit);
    EXPECT_FALSE(unit->settings.blank_zero);

    std::string unformatted = "UNFORMATTED";
    specifiers.form = text(unformatted);
    specifiers.delim = {};
    specifiers.pad = {};
    EXPECT_EQ(io::open_unit(8, specifiers, io::return_errors_flag), rt::msg::different_connection_kind);
    EXPECT_EQ(io::find_connected(8), unit);

    EXPECT_EQ(close_default(8), 0);
    EXPECT_EQ(read_file(name), "pending");
}

TEST_F(OpenClose, UnitOnAnotherFileIsClosedFirst) {
    const std::string first = path("first.txt"), second = path("second.txt");
    ASSERT_EQ(open_named(report_unit, first), 0);
    write_bytes(report_unit, "kept\r\n");
    ASSERT_EQ(open_named(report_unit, second), 0);
    EXPECT_EQ(read_file(first), "kept\r\n");
    EXPECT_EQ(io::find_connected(report_unit)->connection.name, second);
}

// ------------------------------------------------------------------ close

TEST_F(OpenClose, ClosingUnitFiveTwice) {
    const std::string name = path("twice.txt");
    ASSERT_EQ(open_named(report_unit, name), 0);
    write_bytes(report_unit, "row\r\n");
    EXPECT_EQ(close_default(report_unit), 0);
    EXPECT_EQ(close_default(report_unit), 0);
    EXPECT_EQ(read_file(name), "row\r\n");
    EXPECT_EQ(io::lookup_unit(report_unit, io::Direction::input), &io::console_input_unit());
    // A unit never connected closes as quietly, whatever the status says.
    EXPECT_EQ(io::close_unit(77, "BOGUS", 5, 0), 0);
}

TEST_F(OpenClose, CloseStatusKeywords) {
    const std::string name = path("close.txt");
    ASSERT_EQ(open_named(8, name), 0);
    EXPECT_EQ(io::close_unit(8, "KEEPX", 5, 0), rt::msg::bad_status);
    EXPECT_EQ(io::close_unit(8, "", 0, 0), rt::msg::bad_status);
    EXPECT_NE(io::find_connected(8), nullptr);
    EXPECT_EQ(io::close_unit(8, "Keep   ", 7, 0), 0);
    EXPECT_TRUE(exists(name));

    ASSERT_EQ(open_named(8, name), 0);
    EXPECT_EQ(io::close_unit(8, "delete", 6, 0), 0);
    EXPECT_FALSE(exists(name));
    EXPECT_EQ(io::find_connected(8), nullptr);
}

TEST_F(OpenClose, DeletionRefusedIsReported) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    fs::create_directory(path("sealed"));
    const std::string name = path("sealed/file.txt");
    write_file(name, "x");
    ChildResult child = run_child("", [&] {
        if (open_named(8, name) != 0) return 2;
        ::chmod(path("sealed").c_str(), 0555);
        become_nobody();
        int status = io::close_unit(8, "DELETE", 6, io::return_errors_flag);
        return io::find_connected(8) == nullptr ? verdict(status, rt::msg::delete_refused) : 3;
    });
    EXPECT_EQ(child.status, 0) << child.err;
    EXPECT_TRUE(exists(name));
}

TEST_F(OpenClose, ScratchFileLivesUntilClose) {
    io::OpenSpecifiers specifiers;
    ASSERT_EQ(io::open_unit(7, specifiers, 0), 0);
    io::Unit* unit = io::find_connected(7);
    ASSERT_NE(unit, nullptr);
    const std::string name = unit->connection.name;
    EXPECT_TRUE(exists(name));
    EXPECT_TRUE(unit->connection.delete_on_close);
    EXPECT_EQ(unit->connection.default_close, io::CloseStatus::remove);

    // Keeping it is refused and leaves it connected.
    EXPECT_EQ(io::close_unit(7, "KEEP", 4, io::return_errors_flag), rt::msg::keep_scratch);
    EXPECT_EQ(io::find_connected(7), unit);
    EXPECT_EXIT(io::close_unit(7, "KEEP", 4, 0), ::testing::ExitedWithCode(1), report_pattern(6300, "CLOSE", name));

    EXPECT_EQ(close_default(7), 0);
    EXPECT_FALSE(exists(name));
}

// ---------------------------------------------------------------- devices

TEST_F(OpenClose, DeviceNamesConnectDevices) {
    ASSERT_EQ(open_named(6, padded("User")), 0);
    io::Unit* console = io::find_connected(6);
    EXPECT_EQ(console->connection.name, "CON");
    EXPECT_EQ(console->connection.kind, io::UnitKind::console);
    EXPECT_EQ(console->buffer.size, io::console_buffer_size);
    EXPECT_EQ(console->connection.in_handle, io::console_input_unit().connection.in_handle);
    EXPECT_EQ(console->connection.out_handle, io::console_output_unit().connection.out_handle);
    EXPECT_TRUE(console->settings.carriage_control);

    ASSERT_EQ(open_named(7, "err"), 0);
    EXPECT_EQ(io::find_connected(7)->connection.out_handle, plat::standard_error);

    ASSERT_EQ(open_named(8, "NUL.txt"), 0);
    io::Unit* null_device = io::find_connected(8);
    EXPECT_EQ(null_device->connection.kind, io::UnitKind::console);
    EXPECT_GT(null_device->connection.out_handle, 2);

    EXPECT_EQ(open_named(9, "prn", io::return_errors_flag), rt::msg::file_not_found);
    EXPECT_EQ(open_named(9, "COM2.dat", io::return_errors_flag), rt::msg::file_not_found);

    EXPECT_EQ(close_default(6), 0);
    EXPECT_EQ(close_default(7), 0);
    EXPECT_EQ(close_default(8), 0);
    for (int handle : {0, 1, 2}) EXPECT_NE(::fcntl(handle, F_GETFD), -1) << handle;
}

// -------------------------------------------------- name from elsewhere

TEST_F(OpenClose, BlankNameTakesTheNextCommandLineArgument) {
    const std::string first = path("first.txt"), second = path("second.txt");
    ChildResult child = run_child("", [&] {
        std::string program = "prog", blank = "   ", first_argument = "  " + first + "  ", second_argument = second;
        char* arguments[] = {program.data(), blank.data(), first_argument.data(), second_argument.data(), nullptr};
        plat::set_arguments(4, arguments);
        if (open_named(report_unit, padded("")) != 0) return 2;
        if (io::find_connected(report_unit)->connection.name != first) return 3;
        if (close_default(report_unit) != 0) return 4;
        // A name variable that never received a value begins with NUL.
        if (open_named(report_unit, padded("\0unset"s)) != 0) return 5;
        if (io::find_connected(report_unit)->connection.name != second) return 6;
        return 0;
    });
    EXPECT_EQ(child.status, 0) << child.err;
    EXPECT_EQ(child.out, "");
    EXPECT_TRUE(exists(first));
    EXPECT_TRUE(exists(second));
}

TEST_F(OpenClose, WithoutNameOrArgumentTheConsoleAsks) {
    const std::string typed = path("typed.txt");
    ChildResult child = run_child("\n   \n  " + typed + "  \r\n", [&] {
        std::string program = "prog";
        char* arguments[] = {program.data(), nullptr};
        plat::set_arguments(1, arguments);
        // A prompt's line end is still owed on the console.
        io::console_output_unit().record_written = true;
        if (open_named(report_unit, padded("")) != 0) return 2;
        if (io::find_connected(report_unit)->connection.name != typed) return 3;
        if (io::console_output_unit().record_written) return 4;
        return 0;
    });
    EXPECT_EQ(child.status, 0) << child.err;
    const std::string prompt = "File name missing or blank - please enter file name\r\nUNIT 5? ";
    EXPECT_EQ(child.out, "\r\n" + prompt + prompt + prompt);
    EXPECT_TRUE(exists(typed));
}

TEST_F(OpenClose, TypedNameMayNameTheConsole) {
    ChildResult child = run_child("user\n", [&] {
        char program[] = "prog";
        char* arguments[] = {program, nullptr};
        plat::set_arguments(1, arguments);
        if (open_named(-12, padded("")) != 0) return 2;
        return io::find_connected(-12)->connection.name == "CON" ? 0 : 3;
    });
    EXPECT_EQ(child.status, 0) << child.err;
    EXPECT_EQ(child.out, "File name missing or blank - please enter file name\r\nUNIT -12? ");
}

TEST_F(OpenClose, NoNameAndNoInputEndsWithTheReadError) {
    ChildResult child = run_child("", [&] {
        char program[] = "prog";
        char* arguments[] = {program, nullptr};
        plat::set_arguments(1, arguments);
        open_named(report_unit, padded(""));
        return 0;
    });
    EXPECT_EQ(child.status, 1);
    EXPECT_NE(child.err.find("run-time error F6501: OPEN()"), std::string::npos) << child.err;
}

}  // namespace
