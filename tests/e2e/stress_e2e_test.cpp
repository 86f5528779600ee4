// Random dialogues with the real binary. Whatever is typed, a run must end
// by itself with status 0 or 1, write to standard error either nothing or
// exactly one run-time error report, and never leave a half-written report
// behind a run that ended normally.
//
// The dialogues are drawn from a seeded generator, so a failure can be
// replayed: the message names the seed and the dialogue. RAIZES_STRESS_SEED
// picks another seed, RAIZES_STRESS_SCALE multiplies the number of dialogues.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "support/run_program.hpp"

namespace {

using Rng = std::mt19937_64;
namespace fs = std::filesystem;

constexpr std::uint64_t default_seed = 0x5EED2024;
constexpr int run_timeout_seconds = 30;

std::uint64_t base_seed() {
    const char* text = std::getenv("RAIZES_STRESS_SEED");
    return text != nullptr ? std::strtoull(text, nullptr, 0) : default_seed;
}

int scaled(int count) {
    const char* text = std::getenv("RAIZES_STRESS_SCALE");
    const int scale = text != nullptr ? std::max(1, std::atoi(text)) : 1;
    return count * scale;
}

// ---- Drawing ----------------------------------------------------------------

int below(Rng& rng, int n) { return static_cast<int>(rng() % static_cast<std::uint64_t>(n)); }
bool chance(Rng& rng, int percent) { return below(rng, 100) < percent; }

template <std::size_t N>
std::string one_of(Rng& rng, const char* const (&pool)[N]) {
    return pool[below(rng, static_cast<int>(N))];
}

// Random bytes. A slash never appears: inside a quoted name it would make a
// path, and a path must not leave the run's own directory. On a terminal the
// line discipline's own control characters (interrupt, suspend, erase, flow
// control ...) are left out as well, since they act before the program reads.
std::string noise(Rng& rng, std::size_t length, bool terminal) {
    std::string bytes;
    while (bytes.size() < length) {
        const auto c = static_cast<unsigned char>(rng());
        if (c == '/') continue;
        if (terminal && ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F)) continue;
        bytes += static_cast<char>(c);
    }
    return bytes;
}

std::string digits(Rng& rng, int count) {
    std::string s(1, static_cast<char>('1' + below(rng, 9)));
    for (int i = 1; i < count; ++i) s += static_cast<char>('0' + below(rng, 10));
    return s;
}

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string real_token(Rng& rng) {
    static const char* const pool[] = {
        "12", "16", "14.78", "0.1", "1e-6", "1d-6", "1-6", ".000001", "10", "30", "100", "-5000",
        "0", "-0", "1e308", "1e309", "-1e309", "1E+400", "4.9e-324", "1e-400", "1.e", "1.5.2", "abc",
        "2*7.5", ",", ",,", "nan", "inf", "0x10", "  3.5  ", "'7'", "(1,2)", "+", "-", "1.5e", "e5",
        "3*", "0*1", "2*", "1.5-3", "2+1", "\t12\t", "12,", "1.5 2.5 3.5", "\"1\"", "1#2",
    };
    switch (below(rng, 6)) {
        case 0: return one_of(rng, pool);
        case 1: return formatted("%.17g", std::uniform_real_distribution<double>(-60.0, 60.0)(rng));
        case 2: return formatted("%.6g", std::pow(10.0, std::uniform_real_distribution<double>(-320.0, 320.0)(rng)));
        case 3: return digits(rng, 100 + below(rng, 250)) + (chance(rng, 50) ? ".5" : "");
        default: return one_of(rng, pool);
    }
}

// Small limits keep every run to a few hundred rows at most.
std::string small_limit(Rng& rng) {
    static const char* const pool[] = {"0", "-1", "1", "2", "3", "10", "20", "50", ",", "2*5", "3.0", "1e3",
                                       "16#1F", "#A", "2#101", "37#1", "1#1", "16#1#2", "abc", "'5'", "0*1"};
    return chance(rng, 50) ? std::to_string(below(rng, 64) - 3) : one_of(rng, pool);
}

// Limits that do not fit, or huge ones; only used where the run ends at once.
std::string huge_limit(Rng& rng) {
    static const char* const pool[] = {"2147483647", "2147483646", "-2147483648", "2147483648", "99999999999",
                                       "-2147483649", "16#FFFFFFFF", "16#7FFFFFFF", "36#ZZZZZZZ", "1000000"};
    return chance(rng, 80) ? one_of(rng, pool) : digits(rng, 200 + below(rng, 100));
}

std::string name_token(Rng& rng, bool terminal) {
    static const char* const pool[] = {"raiz", "'meu arquivo'", "'  raiz'", ",", "'it''s'", "a*b", "2*abc",
                                       "\"dq name\"", "meu arquivo", "(paren name)", "x\\y", "''", "'a,b'",
                                       "\xE7\xE3o", "a\tb", ".", "..", "-", "*", "'   '"};
    switch (below(rng, 5)) {
        case 0: return std::string(static_cast<std::size_t>(60 + below(rng, 200)), 'n');
        case 1: return noise(rng, 1 + below(rng, 40), terminal);
        default: return one_of(rng, pool);
    }
}

std::string method_token(Rng& rng) {
    static const char* const pool[] = {"0", "6", "9", "-1", ",", "1.0", "abc", "2*3", "16#3", "  4  ", "5,", "3 1"};
    return chance(rng, 85) ? std::to_string(1 + below(rng, 5)) : one_of(rng, pool);
}

// The inputs each method reads after the name, as statement shapes.
enum Shape { two_reals, one_real, integer };

std::vector<Shape> shapes_of(int method) {
    switch (method) {
        case 1:
        case 2: return {two_reals, one_real, integer};
        case 3:
        case 4: return {one_real, integer, one_real};
        case 5: return {one_real, integer, two_reals};
        default: return {};
    }
}

std::string two_real_line(Rng& rng) {
    const char* separators[] = {" ", ",", "\n", " , ", "\t"};
    return real_token(rng) + separators[below(rng, 5)] + real_token(rng);
}

struct Dialogue {
    std::string input;
    bool terminal = false;
};

// Each line of the dialogue the program asks for, with occasional damage:
// noise lines, long lines, a missing end of input.
Dialogue structured(Rng& rng, bool terminal) {
    const std::string method = method_token(rng);
    std::vector<std::string> lines = {method, name_token(rng, terminal)};
    if (chance(rng, 10)) lines.insert(lines.begin() + 1, "");  // a blank line is skipped
    for (Shape shape : shapes_of(std::atoi(method.c_str()))) {
        switch (shape) {
            case two_reals: lines.push_back(two_real_line(rng)); break;
            case one_real: lines.push_back(real_token(rng)); break;
            case integer: lines.push_back(small_limit(rng)); break;
        }
    }
    // A null name makes the open ask for a file name on its own line.
    lines.push_back(chance(rng, 50) ? "relatorio.txt" : "  nome com brancos  ");
    const int count = static_cast<int>(lines.size());
    if (chance(rng, 20)) lines.insert(lines.begin() + below(rng, count), noise(rng, 1 + below(rng, 300), terminal));
    if (chance(rng, 15)) lines.resize(static_cast<std::size_t>(below(rng, count + 1)));

    Dialogue d{{}, terminal};
    for (const auto& line : lines) d.input += line + (chance(rng, 10) && !terminal ? "\r\n" : "\n");
    // No token holds a slash, and none may come from joining them: see noise().
    for (char& c : d.input)
        if (c == '/') c = '|';
    if (terminal) {
        d.input += "\x04";  // end of input, or the run would wait for more
    } else if (chance(rng, 10)) {
        d.input += "'unclosed";
    } else if (chance(rng, 10) && !d.input.empty()) {
        d.input.pop_back();  // no final line end
    }
    return d;
}

// A dialogue that would be long if it ever got going, arranged so that it
// ends at once: a converging start, a read error, or an arithmetic fault.
Dialogue huge_limit_dialogue(Rng& rng) {
    static const char* const starts[] = {
        "1\nraiz\n12 16\n0.1\n",   "2\nraiz\n12 16\n0.00001\n", "1\nraiz\n0 16\n0.1\n",
        "3\nraiz\n0.000001\n",     "4\nraiz\n0.00000001\n",     "5\nraiz\n0.00000001\n",
        "2\nraiz\n12 12\n0.1\n",   "4\nraiz\n0.1\n",
    };
    const int pick = below(rng, 8);
    std::string input = std::string(starts[pick]) + huge_limit(rng) + "\n";
    // The starting estimates of methods 3 to 5 come after the limit.
    if (pick == 3) input += "14\n";
    if (pick == 4) input += chance(rng, 50) ? "10\n" : "0\n";
    if (pick == 5) input += chance(rng, 50) ? "10 12\n" : "7 7\n";
    if (pick == 7) input += "10\n";
    return {input, false};
}

Dialogue random_bytes(Rng& rng, bool terminal) {
    std::string input;
    // Often start with a real menu choice so that the bytes reach a method.
    if (chance(rng, 60)) input = std::to_string(1 + below(rng, 5)) + "\nraiz\n";
    const int pieces = 1 + below(rng, 6);
    for (int i = 0; i < pieces; ++i) {
        const int length = chance(rng, 20) ? 131 + below(rng, 600) : 1 + below(rng, 40);
        input += noise(rng, static_cast<std::size_t>(length), terminal);
        input += '\n';
    }
    if (terminal) input += "\x04";
    return {input, terminal};
}

// ---- Judging ----------------------------------------------------------------

const std::regex& error_report() {
    static const std::regex pattern(
        "\r\nrun-time error [FM]6[0-9]{3}"
        "(: [A-Z]*\\([^\n]*\\)\r\n(- [^\n]*)?|: MATH\r\n- [^\n]*|\r\n- [^\n]*)\r\n");
    return pattern;
}

const std::regex& table_row() {
    static const std::regex pattern(
        "[ 0-9*-]{5}(( {4}[0-9]| {3}-[0-9])\\.[0-9]{15}(E[+-][0-9]{2}|[+-][0-9]{3})){1,2}");
    return pattern;
}

const std::regex& failure_trailer() {
    static const std::regex pattern("O m\xE9todo falhou ap\xF3s [ 0-9*-]{5} itera\xE7\xF5" "es");
    return pattern;
}

const std::string stop_message = "Stop - Program terminated.\r\n";

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The last record of a report, or a note when the file does not end with a
// complete record.
std::string last_line(const std::string& text) {
    if (!ends_with(text, "\r\n")) return "(no CR LF at the end of the file)";
    const std::size_t end = text.size() - 2;
    const std::size_t found = end == 0 ? std::string::npos : text.rfind("\r\n", end - 1);
    const std::size_t start = found == std::string::npos ? 0 : found + 2;
    return text.substr(start, end - start);
}

std::vector<fs::path> files_in(const std::string& directory) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(directory, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
    return files;
}

// Every rule a finished run must keep; an empty result means it kept them.
std::string judge(const e2e::RunResult& run) {
    std::string faults;
    if (run.timed_out) faults += "did not end within " + std::to_string(run_timeout_seconds) + " s\n";
    if (run.status != 0 && run.status != 1) faults += "exit status " + std::to_string(run.status) + "\n";
    if (run.status == 0 && !run.err.empty()) faults += "standard error not empty after exit status 0\n";
    if (run.status == 1 && !std::regex_match(run.err, error_report()))
        faults += "standard error is not exactly one run-time error report\n";

    const bool stopped = ends_with(run.out, stop_message);
    if (stopped && run.status != 0) faults += "stop message with exit status " + std::to_string(run.status) + "\n";

    const auto files = files_in(run.directory);
    if (files.size() > 1) faults += std::to_string(files.size()) + " files written, one report at most\n";
    if (stopped && files.empty()) faults += "converged without a report file\n";
    if (run.status == 0) {
        for (const auto& file : files) {
            const std::string line = last_line(e2e::read_file(file.string()));
            if (stopped && !std::regex_match(line, table_row()))
                faults += "converged report " + file.filename().string() + " does not end with a row: [" +
                          e2e::visible(line) + "]\n";
            if (!stopped && !std::regex_match(line, failure_trailer()))
                faults += "report " + file.filename().string() + " of a normal end without the stop message " +
                          "does not end with the failure trailer: [" + e2e::visible(line) + "]\n";
        }
    }
    return faults;
}

// The same dialogue is given to a reference program, and both must show the
// same bytes: console, standard error, exit status and report. Under Wine
// the reference is the Linux program of this source; the report is then
// compared by its contents, since the two systems spell a name's bytes
// differently, and left out are the dialogues whose end belongs to the
// system rather than the program: a name that Windows refuses or reads as a
// path or a stream, an OPEN error, and an array that one address space
// holds and another cannot (F6772). In the suite's typed run the reference
// is the program itself with its built-in equation.
#ifdef RAIZES_REFERENCE_BINARY
constexpr const char* wine_reference = RAIZES_REFERENCE_BINARY;
#else
constexpr const char* wine_reference = nullptr;
#endif

const char* reference_binary() {
    if (wine_reference != nullptr) return wine_reference;
    return e2e::typed_equation_runs() ? RAIZES_BINARY : nullptr;
}

bool portable(const std::string& input) {
    return wine_reference == nullptr || input.find_first_of("\\:*?\"<>|") == std::string::npos;
}

bool ended_by_the_system(const e2e::RunResult& run) {
    return run.err.find(": OPEN(") != std::string::npos || run.err.find("F6772") != std::string::npos;
}

std::string contents_of(const std::string& directory) {
    std::vector<std::string> contents;
    for (const auto& file : files_in(directory)) contents.push_back(e2e::read_file(file.string()));
    std::sort(contents.begin(), contents.end());
    std::string joined;
    for (const auto& text : contents) joined += text + "\n--\n";
    return joined;
}

// The differences from the reference, or nothing when the dialogue is not
// compared.
std::optional<std::string> compare_with_reference(const e2e::RunResult& run, const Dialogue& dialogue) {
    if (reference_binary() == nullptr || !portable(dialogue.input) || ended_by_the_system(run)) return std::nullopt;
    e2e::RunOptions options{.binary = reference_binary(), .input = dialogue.input};
    options.directory = e2e::make_temp_dir();
    options.timeout_seconds = run_timeout_seconds;
    const e2e::RunResult reference = dialogue.terminal ? e2e::run_on_terminal(options) : e2e::run_program(options);
    std::error_code ec;
    if (ended_by_the_system(reference)) {
        fs::remove_all(reference.directory, ec);
        return std::nullopt;
    }
    std::string faults;
    if (run.status != reference.status)
        faults += "exit status " + std::to_string(run.status) + ", reference " + std::to_string(reference.status) + "\n";
    if (run.out != reference.out) faults += "standard output differs; reference: " + e2e::visible(reference.out) + "\n";
    if (run.err != reference.err) faults += "standard error differs; reference: " + e2e::visible(reference.err) + "\n";
    if (contents_of(run.directory) != contents_of(reference.directory))
        faults += "report differs from the reference's, kept in " + reference.directory + "\n";
    else fs::remove_all(reference.directory, ec);
    return faults;
}

struct Tally {
    int runs = 0;
    int compared = 0;  // with the reference program
    int exit0 = 0;
    int exit1 = 0;
    int reports = 0;
};

void run_all(const char* family, int count, Dialogue (*draw)(Rng&, int index), Tally& tally) {
    const std::uint64_t seed = base_seed();
    for (int i = 0; i < count; ++i) {
        Rng rng(seed ^ (std::hash<std::string>{}(family) + static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15u));
        const Dialogue dialogue = draw(rng, i);
        e2e::RunOptions options{.input = dialogue.input};
        options.directory = e2e::make_temp_dir();
        options.timeout_seconds = run_timeout_seconds;
        const e2e::RunResult run = dialogue.terminal ? e2e::run_on_terminal(options) : e2e::run_program(options);
        const std::optional<std::string> differences = compare_with_reference(run, dialogue);
        tally.compared += differences.has_value();
        const std::string faults = judge(run) + differences.value_or("");
        ++tally.runs;
        tally.exit0 += run.status == 0;
        tally.exit1 += run.status == 1;
        tally.reports += !files_in(run.directory).empty();
        if (faults.empty()) {
            std::error_code ec;
            fs::remove_all(options.directory, ec);
            continue;
        }
        ADD_FAILURE() << family << " dialogue " << i << " of seed " << seed << " (replay with RAIZES_STRESS_SEED="
                      << seed << ")" << (dialogue.terminal ? " on a terminal" : " through pipes") << ":\n"
                      << faults << "input:\n" << e2e::visible(dialogue.input) << "\nstandard output:\n"
                      << e2e::visible(run.out) << "\nstandard error:\n" << e2e::visible(run.err)
                      << "\nkept in " << options.directory;
    }
    std::printf("%s: %d dialogues, %d ended with status 0, %d with status 1, %d left a report file\n", family,
                tally.runs, tally.exit0, tally.exit1, tally.reports);
    if (reference_binary() != nullptr) {
        std::printf("%s: %d dialogues compared with %s\n", family, tally.compared, reference_binary());
        EXPECT_GT(tally.compared, 0);
    }
}

// The judge itself, on runs made up by hand.
TEST(Stress, JudgeRefusesBrokenEndings) {
    const std::string dir = e2e::make_temp_dir();
    e2e::RunResult run;
    run.directory = dir;
    run.status = 1;
    run.err = "\r\nrun-time error F6101: READ(CON)\r\n- invalid integer\r\n";
    EXPECT_EQ(judge(run), "");
    run.err = "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n";
    EXPECT_EQ(judge(run), "");
    run.err = "\r\nrun-time error F6772\r\n- no memory\r\n";
    EXPECT_EQ(judge(run), "");
    run.err = "\r\nrun-time error F6501: READ(CON)\r\n\r\n";
    EXPECT_EQ(judge(run), "");
    run.err += run.err;
    EXPECT_NE(judge(run), "") << "two reports";
    run.err = "\r\nrun-time error F6101: READ(CON)\r\n- invalid";
    EXPECT_NE(judge(run), "") << "report cut short";
    run.err = "";
    EXPECT_NE(judge(run), "") << "status 1 without a report";
    run.status = 134;
    EXPECT_NE(judge(run), "") << "ended by a signal";

    run.status = 0;
    EXPECT_EQ(judge(run), "");
    run.err = "==1==ERROR: AddressSanitizer";
    EXPECT_NE(judge(run), "") << "standard error after status 0";
    run.err = "";

    const std::string row = "    6    1.481250000000000E+01    6.250000000000000E-02\r\n";
    const std::string trailer = "\r\n\r\nO m\xE9todo falhou ap\xF3s     3 itera\xE7\xF5" "es\r\n";
    e2e::write_file(dir + "/raiz.bis.txt", "header\r\n" + row);
    run.out = stop_message;
    EXPECT_EQ(judge(run), "");
    e2e::write_file(dir + "/raiz.bis.txt", "header\r\n" + row.substr(0, 40));
    EXPECT_NE(judge(run), "") << "converged report cut inside its last row";
    run.out = "";
    EXPECT_NE(judge(run), "") << "report without the trailer and without the stop message";
    e2e::write_file(dir + "/raiz.bis.txt", "header\r\n" + row + trailer);
    EXPECT_EQ(judge(run), "");
    e2e::write_file(dir + "/raiz.bis.txt", "header\r\n" + row + trailer.substr(0, 20));
    EXPECT_NE(judge(run), "") << "trailer cut short";
    e2e::write_file(dir + "/other.txt", "x");
    EXPECT_NE(judge(run), "") << "two files";
    std::error_code ec;
    fs::remove_all(dir, ec);
}

// The families must reach every ending, or they test less than they claim.
TEST(Stress, StructuredDialoguesThroughPipes) {
    Tally tally;
    run_all("structured", scaled(180), [](Rng& rng, int) { return structured(rng, false); }, tally);
    EXPECT_GT(tally.exit0, tally.runs / 20);
    EXPECT_GT(tally.exit1, tally.runs / 5);
    EXPECT_GT(tally.reports, tally.runs / 10);
}

TEST(Stress, RandomBytesThroughPipes) {
    Tally tally;
    run_all("bytes", scaled(80), [](Rng& rng, int) { return random_bytes(rng, false); }, tally);
    EXPECT_GT(tally.exit1, tally.runs / 2);
}

TEST(Stress, HugeLimitsEndAtOnce) {
    Tally tally;
    run_all("huge", scaled(40), [](Rng& rng, int) { return huge_limit_dialogue(rng); }, tally);
    EXPECT_GT(tally.exit0, 0);
    EXPECT_GT(tally.exit1, 0);
}

// A terminal delivers one line per read and refuses lines over 130 typed
// characters; each run here costs the runner's wait for the prompt.
TEST(Stress, DialoguesOnATerminal) {
    Tally tally;
    run_all("terminal", scaled(12),
            [](Rng& rng, int index) { return index % 2 == 0 ? structured(rng, true) : random_bytes(rng, true); },
            tally);
    EXPECT_GT(tally.exit1, 0);
}

}  // namespace
