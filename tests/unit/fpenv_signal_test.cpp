// Faults that are not floating-point traps keep the system's default
// action: POSIX signals, so this file runs only where they exist.
#include "runtime/fpenv.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"

namespace {

// A child process starts as the program does: the floating-point
// environment, then the console units that the exit sequence settles.
void start_run() {
    rt::setup_floating_point();
    io::create_console_units();
}

const testing::Matcher<const std::string&> nothing_written = testing::Matcher<const std::string&>("");

class FpEnvDeathTest : public testing::Test {
protected:
    void SetUp() override { testing::FLAGS_gtest_death_test_style = "threadsafe"; }
};

TEST_F(FpEnvDeathTest, IntegerDivisionByZeroIsNotAFloatingPointError) {
    EXPECT_EXIT(
        {
            start_run();
            // The hardware division itself, without the language's rules.
            int quotient = 7;
            int remainder = 0;
            const int divisor = 0;
            asm volatile("idivl %2" : "+a"(quotient), "+d"(remainder) : "r"(divisor));
            std::exit(3);
        },
        testing::KilledBySignal(SIGFPE), nothing_written);
}

TEST_F(FpEnvDeathTest, SignalSentByAnotherProcessKeepsItsDefaultAction) {
    EXPECT_EXIT(
        {
            start_run();
            std::raise(SIGFPE);
            std::exit(3);
        },
        testing::KilledBySignal(SIGFPE), nothing_written);
}

}  // namespace
