// Every allocation of whole runs refused in turn: the real program with an
// allocator preloaded in front of the C library's (tests/support/
// failing_allocator.cpp) that refuses, for each N, the calls from the Nth on,
// and then the Nth alone. A run must then either go exactly as it goes with
// memory to spare, or end in order: exit status 1, one out-of-memory report
// on standard error, and standard output and every file it wrote a prefix of
// what the full run gives, the files cut at a line end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "runtime/messages.hpp"
#include "support/run_program.hpp"

namespace {

namespace fs = std::filesystem;

struct Dialogue {
    const char* what;
    std::string input;
};

// The five methods, a failed run, a name asked for by the open, and a
// dialogue that ends in a READ error.
const Dialogue dialogues[] = {
    {"bisection", "1\nraiz\n12 16\n0.1\n10\n"},
    {"false position, failed", "2\nraiz\n12 16\n0.00001\n3\n"},
    {"simple fixed point", "3\nraiz\n0.000001\n20\n14\n"},
    {"Newton-Raphson", "4\nraiz\n0.00000001\n10\n14\n"},
    {"secant", "5\nraiz\n1e-8\n10\n12 16\n"},
    {"bisection, name asked by the open", "1\n,\n12 16\n0.1\n10\nrelatorio.txt\n"},
    {"bisection, letters for the interval", "1\nraiz\nabc\n"},
};

std::string memory_report(int message_number) {
    return "\r\nrun-time error F" + std::to_string(6000 + message_number) + "\r\n- " +
           std::string(rt::message_text(message_number)) + "\r\n";
}

const int memory_errors[] = {rt::msg::no_memory, rt::msg::no_memory_for_character, rt::msg::array_refused};

std::map<std::string, std::string> files_in(const std::string& directory) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(directory))
        files[entry.path().filename().string()] = e2e::read_file(entry.path().string());
    return files;
}

struct Outcome {
    e2e::RunResult run;
    std::map<std::string, std::string> files;
};

class AllocationSweep : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "NOT RUN: AddressSanitizer owns malloc in this build: an allocator preloaded in front of it would "
                        "hand it blocks it never made; the plain build runs the sweep";
#elif !defined(RAIZES_FAILING_ALLOCATOR)
        GTEST_SKIP() << "NOT RUN: the refusing allocator is preloaded on Linux with the GNU C library only";
#else
        notes_ = e2e::make_temp_dir();
#endif
    }

    // A run in a fresh folder; `refusal` is empty or RAIZES_FAIL_ALLOCATION's value.
    Outcome run(const std::string& input, [[maybe_unused]] const std::string& refusal) {
        e2e::RunOptions options{.input = input};
        options.directory = e2e::make_temp_dir();
        options.timeout_seconds = 30;
        // A real command processor, started with memory to spare.
        options.environment = {{"COMSPEC", "/bin/true"}};
#ifdef RAIZES_FAILING_ALLOCATOR
        if (!refusal.empty()) {
            options.environment.push_back({"LD_PRELOAD", RAIZES_FAILING_ALLOCATOR});
            options.environment.push_back({"RAIZES_FAIL_ALLOCATION", refusal});
            options.environment.push_back({"RAIZES_FAIL_ALLOCATION_NOTE", note()});
        }
#endif
        fs::remove(note());
        Outcome outcome{e2e::run_program(options), {}};
        outcome.files = files_in(options.directory);
        fs::remove_all(options.directory);
        return outcome;
    }

    std::string note() const { return notes_ + "/refused"; }
    bool something_refused() const { return fs::exists(note()); }

    std::string notes_;
};

bool same_run(const Outcome& a, const Outcome& b) {
    return a.run.status == b.run.status && a.run.out == b.run.out && a.run.err == b.run.err && a.files == b.files;
}

// How a run that had an allocation refused ended: as the full run, with
// one of the memory reports, by a signal, or out of order; `faults` says
// what is wrong with it, if anything.
std::string ending_of(const Outcome& full, const Outcome& refused, std::string& faults) {
    const e2e::RunResult& run = refused.run;
    if (run.timed_out) {
        faults = "did not end\n";
        return "out of order";
    }
    if (run.status >= 128) {
        faults = "ended by signal " + std::to_string(run.status - 128) + "\n";
        return "by a signal";
    }
    if (same_run(full, refused)) return "as with memory to spare";
    std::string ending;
    for (int number : memory_errors)
        if (run.err == memory_report(number)) ending = "F" + std::to_string(6000 + number);
    if (ending.empty()) faults += "standard error is not one out-of-memory report\n";
    if (run.status != 1) faults += "exit status " + std::to_string(run.status) + "\n";
    if (!full.run.out.starts_with(run.out)) faults += "standard output is not a prefix of the full run's\n";
    for (const auto& [name, bytes] : refused.files) {
        const auto found = full.files.find(name);
        if (found == full.files.end()) faults += "a file the full run does not write: " + name + "\n";
        else if (!found->second.starts_with(bytes)) faults += name + " is not a prefix of the full run's\n";
        else if (!bytes.empty() && !bytes.ends_with("\r\n")) faults += name + " ends inside a line\n";
    }
    return faults.empty() ? ending : "out of order";
}

TEST_F(AllocationSweep, EveryRefusedAllocationEndsTheRunInOrder) {
    int all_runs = 0;
    std::map<std::string, int> all_endings;
    for (const Dialogue& dialogue : dialogues) {
        const Outcome full = run(dialogue.input, "");
        ASSERT_FALSE(full.run.timed_out) << dialogue.what;
        std::map<std::string, int> endings;
        int runs = 0;
        int allocations = -1;
        for (int n = 1; allocations < 0 && n < 10000; ++n) {
            for (const char* mode : {"from:", "at:"}) {
                const Outcome refused = run(dialogue.input, mode + std::to_string(n));
                if (!something_refused()) {
                    // Fewer than n allocations: the run had all it asked for.
                    EXPECT_TRUE(same_run(full, refused)) << dialogue.what << ", " << mode << n;
                    allocations = n - 1;
                    break;
                }
                ++runs;
                std::string faults;
                ++endings[ending_of(full, refused, faults)];
                EXPECT_EQ(faults, "") << dialogue.what << ", allocations refused " << mode << n
                                      << "\nstandard output:\n" << e2e::visible(refused.run.out)
                                      << "\nstandard error:\n" << e2e::visible(refused.run.err);
            }
        }
        EXPECT_GT(allocations, 0) << dialogue.what << ": nothing was ever refused";
        EXPECT_GT(endings["F6700"], 0) << dialogue.what << ": no run ended with the out-of-memory report";
        std::printf("%s: %d allocations, %d runs:", dialogue.what, allocations, runs);
        for (const auto& [ending, count] : endings) {
            std::printf(" %d %s;", count, ending.c_str());
            all_endings[ending] += count;
        }
        std::printf("\n");
        all_runs += runs;
    }
    std::printf("all dialogues: %d runs:", all_runs);
    for (const auto& [ending, count] : all_endings) std::printf(" %d %s;", count, ending.c_str());
    std::printf("\n");
}

}  // namespace
