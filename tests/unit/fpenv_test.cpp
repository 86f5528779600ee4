// The floating-point environment: trapped arithmetic, the intrinsics' own
// error path, and the reports both produce.
#include "runtime/fpenv.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <thread>
#include <type_traits>

#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "runtime/real.hpp"
#include "unit/death_output.hpp"

namespace {

using rt::MathError;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double tiny = std::numeric_limits<double>::denorm_min();

testing::Matcher<const std::string&> report(const std::string& number, const std::string& message) {
    return testing::Matcher<const std::string&>(
        unit_death::as_captured("\r\nrun-time error " + number + ": MATH\r\n- " + message + "\r\n"));
}

// A child process starts as the program does: the floating-point
// environment, then the console units that the exit sequence settles.
void start_run() {
    rt::setup_floating_point();
    io::create_console_units();
}

// Ends the calling process with status 4 after 20 seconds.
void watchdog() {
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(20));
        std::_Exit(4);
    }).detach();
}

const testing::Matcher<const std::string&> nothing_written = testing::Matcher<const std::string&>("");

class FpEnvDeathTest : public testing::Test {
protected:
    void SetUp() override { testing::FLAGS_gtest_death_test_style = "threadsafe"; }
};

// The operands are read from volatile memory and the results stored there, so
// the operations are neither folded by the compiler nor dropped.
volatile double zero = 0.0;
volatile double one = 1.0;
volatile double big = 1e200;
volatile double quiet_nan = nan;
volatile double sink = 0.0;
volatile bool flag_sink = false;

TEST(MathErrorClassification, Exponential) {
    EXPECT_EQ(rt::classify_exp(709.0, 8.218407461554972e307), MathError::none);
    EXPECT_EQ(rt::classify_exp(710.0, inf), MathError::overflow);
    EXPECT_EQ(rt::classify_exp(-800.0, 0.0), MathError::underflow);
    EXPECT_EQ(rt::classify_exp(-740.0, 4.2e-322), MathError::underflow);
    EXPECT_EQ(rt::classify_exp(-744.4, tiny), MathError::underflow);
    // Exact limits and NaN propagation are no errors.
    EXPECT_EQ(rt::classify_exp(inf, inf), MathError::none);
    EXPECT_EQ(rt::classify_exp(-inf, 0.0), MathError::none);
    EXPECT_EQ(rt::classify_exp(nan, nan), MathError::none);
    EXPECT_EQ(rt::classify_exp(-0.0, 1.0), MathError::none);
}

TEST(MathErrorClassification, RealPower) {
    EXPECT_EQ(rt::classify_pow(-3.0, 2.0, 9.0), MathError::none);
    EXPECT_EQ(rt::classify_pow(0.0, 2.0, 0.0), MathError::none);
    EXPECT_EQ(rt::classify_pow(-0.0, 2.0, 0.0), MathError::none);
    EXPECT_EQ(rt::classify_pow(0.0, -1.0, inf), MathError::sing);
    EXPECT_EQ(rt::classify_pow(-0.0, -3.0, -inf), MathError::sing);
    EXPECT_EQ(rt::classify_pow(0.0, -inf, inf), MathError::sing);
    EXPECT_EQ(rt::classify_pow(0.0, -0.0, 1.0), MathError::none);
    EXPECT_EQ(rt::classify_pow(-8.0, 1.0 / 3.0, nan), MathError::domain);
    EXPECT_EQ(rt::classify_pow(1.5e154, 2.0, inf), MathError::overflow);
    EXPECT_EQ(rt::classify_pow(-1e200, 3.0, -inf), MathError::overflow);
    EXPECT_EQ(rt::classify_pow(1e-200, 2.0, 0.0), MathError::underflow);
    EXPECT_EQ(rt::classify_pow(2.0, -1074.0, tiny), MathError::underflow);
    // Infinite arguments give exact limits; NaN arguments propagate.
    EXPECT_EQ(rt::classify_pow(inf, 2.0, inf), MathError::none);
    EXPECT_EQ(rt::classify_pow(2.0, -inf, 0.0), MathError::none);
    EXPECT_EQ(rt::classify_pow(nan, 2.0, nan), MathError::none);
    EXPECT_EQ(rt::classify_pow(1.0, nan, 1.0), MathError::none);
}

class TrappingEnvironment : public testing::Test {
protected:
    void SetUp() override { rt::setup_floating_point(); }
};

TEST_F(TrappingEnvironment, RealPowerOfNegativeBaseFollowsParityOfExponent) {
    EXPECT_EQ(rt::rt_pow(-3.0, 2.0), 9.0);
    EXPECT_EQ(rt::rt_pow(-2.0, 3.0), -8.0);
    EXPECT_EQ(rt::rt_pow(-0.5, -2.0), 4.0);
    for (double x : {0.1, 1.7, 12.0, 14.78, 3.3e100}) {
        EXPECT_EQ(rt::rt_pow(-x, 2.0), rt::rt_pow(x, 2.0)) << x;
        EXPECT_GT(rt::rt_pow(-x, 2.0), 0.0) << x;
    }
    const double zero_squared = rt::rt_pow(-0.0, 2.0);
    EXPECT_EQ(zero_squared, 0.0);
    EXPECT_FALSE(std::signbit(zero_squared));
}

TEST_F(TrappingEnvironment, IntrinsicsGiveLibraryValuesAndLeaveNoIntrinsicRunning) {
    EXPECT_EQ(rt::rt_exp(0.0), 1.0);
    EXPECT_NEAR(rt::rt_exp(1.0), 2.718281828459045, 1e-15);
    EXPECT_NEAR(rt::rt_pow(2.0, 0.5), 1.4142135623730951, 1e-15);
    EXPECT_EQ(rt::fp_state().intrinsic, 0);
    EXPECT_TRUE(rt::fp_state().division_sound);
}

TEST_F(FpEnvDeathTest, InvalidOperationIsReported) {
    EXPECT_EXIT(
        {
            start_run();
            sink = zero / zero;
        },
        testing::ExitedWithCode(1), report("M6101", "floating-point error: invalid"));
}

TEST_F(FpEnvDeathTest, OrderedComparisonWithNaNIsAnInvalidOperation) {
    EXPECT_EXIT(
        {
            start_run();
            flag_sink = quiet_nan < one;
        },
        testing::ExitedWithCode(1), report("M6101", "floating-point error: invalid"));
}

TEST_F(FpEnvDeathTest, DivisionByZeroIsReported) {
    EXPECT_EXIT(
        {
            start_run();
            sink = one / zero;
        },
        testing::ExitedWithCode(1), report("M6103", "floating-point error: divide by zero"));
}

TEST_F(FpEnvDeathTest, OverflowingProductIsReported) {
    EXPECT_EXIT(
        {
            start_run();
            sink = big * big;
        },
        testing::ExitedWithCode(1), report("M6104", "floating-point error: overflow"));
}

TEST_F(FpEnvDeathTest, UnderflowAndInexactPassSilently) {
    EXPECT_EXIT(
        {
            start_run();
            volatile double small = 1e-300;
            sink = small * small;           // underflows to 0
            const bool zero_result = sink == 0.0;
            sink = small / 3e10;            // gradual underflow: subnormal, not flushed
            const bool subnormal = sink > 0.0 && sink < 1e-308;
            std::exit(zero_result && subnormal ? 0 : 2);
        },
        testing::ExitedWithCode(0), nothing_written);
}

TEST_F(FpEnvDeathTest, ExponentialOverflowIsReportedByName) {
    EXPECT_EXIT(
        {
            start_run();
            sink = rt::rt_exp(710.0);
        },
        testing::ExitedWithCode(1), report("M6203", "exp: OVERFLOW error"));
}

TEST_F(FpEnvDeathTest, PowerErrorsAreReportedUnderTheOperatorName) {
    EXPECT_EXIT(
        {
            start_run();
            sink = rt::rt_pow(1e200, 2.0);
        },
        testing::ExitedWithCode(1), report("M6203", "**: OVERFLOW error"));
    EXPECT_EXIT(
        {
            start_run();
            sink = rt::rt_pow(0.0, -1.0);
        },
        testing::ExitedWithCode(1), report("M6202", "**: SING error"));
    EXPECT_EXIT(
        {
            start_run();
            sink = rt::rt_pow(-8.0, 1.0 / 3.0);
        },
        testing::ExitedWithCode(1), report("M6201", "**: DOMAIN error"));
}

TEST_F(FpEnvDeathTest, UnderflowOfTheIntrinsicsIsAcceptedWithTheLibraryResult) {
    EXPECT_EXIT(
        {
            start_run();
            const double gone = rt::rt_exp(-800.0);
            const double denormal = rt::rt_exp(-740.0);
            const double squared = rt::rt_pow(1e-200, 2.0);
            const bool ok = gone == 0.0 && denormal > 0.0 && denormal < 1e-308 && squared == 0.0 &&
                            rt::fp_state().intrinsic == 0;
            std::exit(ok ? 0 : 2);
        },
        testing::ExitedWithCode(0), nothing_written);
}

TEST_F(FpEnvDeathTest, TrapInsideAnIntrinsicResumesWithTheDefaultResult) {
    EXPECT_EXIT(
        {
            watchdog();  // a trap that re-fires forever ends the child
            start_run();
            rt::fp_state().intrinsic = rt::intrinsic_exp;
            sink = zero / zero;
            const bool resumed_with_nan = std::isnan(sink);
            std::exit(resumed_with_nan ? 0 : 2);
        },
        testing::ExitedWithCode(0), nothing_written);
}

TEST_F(FpEnvDeathTest, ExceptionRaisedWithoutTrappingIsTakenBeforeTheNextIntrinsic) {
    // A trap resumed inside an intrinsic leaves its exception raised; the next
    // intrinsic call reports it as an ordinary trap before doing anything.
    EXPECT_EXIT(
        {
            start_run();
            rt::fp_state().intrinsic = rt::intrinsic_pow;
            sink = zero / zero;
            rt::fp_state().intrinsic = 0;
            sink = rt::rt_exp(1.0);
            std::exit(3);
        },
        testing::ExitedWithCode(1), report("M6101", "floating-point error: invalid"));
}

// Where the processor cannot trap (WebAssembly), the program's reals judge
// each result as a trapping processor would; here the hardware traps, and
// their operations are the plain double ones.
static_assert(std::is_same_v<rt::real, rt::BasicReal<false>> && sizeof(rt::real) == sizeof(double));

TEST(CheckedReal, JudgesEachResultAsATrappingProcessor) {
    struct Case {
        double a, b, result;
        bool quotient;
        int trap;
    };
    const Case cases[] = {
        {0.0, 0.0, nan, true, 129},          // 0 / 0
        {inf, inf, nan, false, 129},         // inf - inf from infinite operands
        {nan, 1.0, nan, false, 0},           // a NaN operand passes quietly
        {1.0, 0.0, inf, true, 131},          // a finite quotient by zero
        {-1.0, -0.0, inf, true, 131},
        {1e200, 1e200, inf, false, 132},     // an overflowing product or sum
        {1e300, 1e-10, inf, true, 132},      // an overflowing quotient
        {inf, 2.0, inf, false, 0},           // infinite operands give their own limits
        {1e-300, 1e-300, 0.0, false, 0},     // underflow passes
        {1.0, 3.0, 1.0 / 3.0, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rt::trap_of_result(c.a, c.b, c.result, c.quotient), c.trap) << c.a << " " << c.b;
    EXPECT_EQ(rt::trap_of_comparison(nan, 1.0), 129);
    EXPECT_EQ(rt::trap_of_comparison(1.0, nan), 129);
    EXPECT_EQ(rt::trap_of_comparison(1.0, 2.0), 0);
    const rt::CheckedReal third = rt::CheckedReal(1.0) / 3;
    EXPECT_EQ(static_cast<double>(third), 1.0 / 3.0);
    EXPECT_TRUE(third < 0.5 && 0.25 < third && third != 0.0 && -third == -1.0 / 3.0);
}

// The checked real alone, without the processor's traps, ends the program
// with the reports of the trapping processor.
TEST_F(FpEnvDeathTest, CheckedRealEndsTheProgramWithTheTrapsReport) {
    EXPECT_EXIT(
        {
            io::create_console_units();
            sink = (rt::CheckedReal(zero) / zero).value();
            std::exit(3);
        },
        testing::ExitedWithCode(1), report("M6101", "floating-point error: invalid"));
    EXPECT_EXIT(
        {
            io::create_console_units();
            flag_sink = rt::CheckedReal(quiet_nan) < one;
            std::exit(3);
        },
        testing::ExitedWithCode(1), report("M6101", "floating-point error: invalid"));
    EXPECT_EXIT(
        {
            io::create_console_units();
            sink = (one / rt::CheckedReal(zero)).value();
            std::exit(3);
        },
        testing::ExitedWithCode(1), report("M6103", "floating-point error: divide by zero"));
    EXPECT_EXIT(
        {
            io::create_console_units();
            sink = (rt::CheckedReal(big) * big).value();
            std::exit(3);
        },
        testing::ExitedWithCode(1), report("M6104", "floating-point error: overflow"));
}

}  // namespace
