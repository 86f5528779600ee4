// The equation, its fixed-point form and its derivative, evaluated under the
// trapping floating-point environment.
#include "subrotinas/equacoes.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "runtime/fpenv.hpp"
#include "support/exact_reference.hpp"
#include "unit/death_output.hpp"

namespace {

// The values of the application's reals that the functions return.
double f(double x) { return subrotinas::f(x).value(); }
double g(double x) { return subrotinas::g(x).value(); }
double df(double x) { return subrotinas::df(x).value(); }

constexpr double k = 0.146843;
constexpr double A = 667.38;
constexpr double B = 40.0;

testing::Matcher<const std::string&> report(const std::string& number, const std::string& message) {
    return testing::Matcher<const std::string&>(
        unit_death::as_captured("\r\nrun-time error " + number + ": MATH\r\n- " + message + "\r\n"));
}

// Closed forms in extended precision, independent of the evaluation order.
long double f_exact(long double x) {
    return 667.38L * (1.0L - std::exp(-0.146843L * x)) / x - 40.0L;
}
long double df_exact(long double x) {
    const long double e = std::exp(-0.146843L * x);
    return -667.38L * (1.0L - e) / (x * x) + 667.38L * 0.146843L * e / x;
}

// The definitions with every product, quotient and sum rounded by the exact
// reference's integer arithmetic, in the defined order; the exponential and
// the power are the run-time's own. `square` receives the value squared.
double exact_f(double x) {
    const double u = exact::product(exact::sum(1.0, -rt::rt_exp(-exact::product(x, k))), A);
    return exact::sum(exact::quotient(u, x), -B);
}
double exact_df(double x, double square) {
    const double u = exact::product(exact::sum(1.0, -rt::rt_exp(-exact::product(x, k))), A);
    const double w = exact::quotient(exact::product(exact::product(rt::rt_exp(-exact::product(x, k)), k), A), x);
    return exact::sum(-exact::quotient(u, rt::rt_pow(square, 2.0)), w);
}

// A child process starts as the program does: the floating-point
// environment, then the console units that the exit sequence settles.
void start_run() {
    rt::setup_floating_point();
    io::create_console_units();
}

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

class Equation : public testing::Test {
protected:
    void SetUp() override { rt::setup_floating_point(); }
};

TEST_F(Equation, RootIsBracketedNear14_78) {
    EXPECT_NEAR(f(12.0), 6.0669499629, 1e-9);
    EXPECT_NEAR(f(16.0), -2.2687542080, 1e-9);
    EXPECT_GT(f(14.77), 0.0);
    EXPECT_LT(f(14.79), 0.0);
}

TEST_F(Equation, ValuesAgreeWithTheClosedForms) {
    for (double x : {-40.0, -3.5, -0.01, 0.001, 0.5, 7.25, 14.78, 33.0, 250.0, 4000.0}) {
        const long double fx = f_exact(x);
        const long double gx = (fx + 40.0L) * x / 40.0L;
        const long double dfx = df_exact(x);
        EXPECT_NEAR(f(x), static_cast<double>(fx), 1e-12 * std::fabs(static_cast<double>(fx)) + 1e-13) << x;
        EXPECT_NEAR(g(x), static_cast<double>(gx), 1e-12 * std::fabs(static_cast<double>(gx)) + 1e-13) << x;
        // Near 0 the two terms of the derivative cancel and the double
        // evaluation keeps few digits.
        if (std::fabs(x) < 0.5) continue;
        EXPECT_NEAR(df(x), static_cast<double>(dfx), 1e-11 * std::fabs(static_cast<double>(dfx)) + 1e-13)
            << x;
    }
}

TEST_F(Equation, OperationsRunInTheDefinedOrder) {
    int reordered_f_differs = 0;
    int reordered_df_differs = 0;
    for (int i = 0; i < 400; ++i) {
        const double x = 0.37 + 0.731 * i;
        EXPECT_EQ(bits(f(x)), bits(exact_f(x))) << x;
        EXPECT_EQ(bits(df(x)), bits(exact_df(x, x))) << x;
        EXPECT_EQ(bits(df(-x)), bits(exact_df(-x, -x))) << -x;

        // The comparison must be able to see a different order at all.
        const double one_minus_e = exact::sum(1.0, -rt::rt_exp(-exact::product(x, k)));
        const double e2 = rt::rt_exp(-exact::product(x, k));
        if (bits(exact::product(exact::quotient(one_minus_e, x), A)) !=
            bits(exact::quotient(exact::product(one_minus_e, A), x)))
            ++reordered_f_differs;
        if (bits(exact::product(exact::product(e2, A), k)) != bits(exact::product(exact::product(e2, k), A)))
            ++reordered_df_differs;
    }
    EXPECT_GT(reordered_f_differs, 0);
    EXPECT_GT(reordered_df_differs, 0);
}

TEST_F(Equation, FixedPointFormAtZeroIsExactlyZero) {
    const double value = g(0.0);
    EXPECT_EQ(value, 0.0);
    EXPECT_FALSE(std::signbit(value));
}

TEST_F(Equation, DerivativeMatchesFiniteDifferenceOfF) {
    for (double x : {2.0, 12.0, 14.78, 30.0}) {
        const double h = 1e-4;
        const double estimate = (f(x + h) - f(x - h)) / (2.0 * h);
        EXPECT_NEAR(df(x), estimate, 1e-6) << x;
    }
}

TEST_F(Equation, DerivativeAtNegativeXSquaresTheMagnitude) {
    for (double x : {-0.25, -1.0, -2.5, -17.0, -300.0}) {
        EXPECT_EQ(bits(df(x)), bits(exact_df(x, std::fabs(x)))) << x;
        EXPECT_TRUE(std::isfinite(df(x))) << x;
    }
}

class EquationDeathTest : public testing::Test {
protected:
    void SetUp() override { testing::FLAGS_gtest_death_test_style = "threadsafe"; }
};

volatile double sink = 0.0;

TEST_F(EquationDeathTest, FixedPointFormAtLargeXUnderflowsSilently) {
    EXPECT_EXIT(
        {
            start_run();
            volatile double a = 667.38;
            volatile double b = 40.0;
            const double expected = a / b;
            const double x = 10000.0;
            std::exit(bits(g(x)) == bits(expected) ? 0 : 2);
        },
        testing::ExitedWithCode(0), testing::Matcher<const std::string&>(""));
}

TEST_F(EquationDeathTest, ZeroDividesZero) {
    EXPECT_EXIT(
        {
            start_run();
            const double x = 0.0;
            sink = f(x);
        },
        testing::ExitedWithCode(1), report("M6101", "floating-point error: invalid"));
    EXPECT_EXIT(
        {
            start_run();
            const double x = 0.0;
            sink = df(x);
        },
        testing::ExitedWithCode(1), report("M6101", "floating-point error: invalid"));
}

TEST_F(EquationDeathTest, ExponentialOverflowsForLargeNegativeX) {
    EXPECT_EXIT(
        {
            start_run();
            const double x = -4000.0;
            sink = f(x);
            sink = g(x);
            sink = df(x);
            std::exit(0);
        },
        testing::ExitedWithCode(0), testing::Matcher<const std::string&>(""));
    EXPECT_EXIT(
        {
            start_run();
            const double x = -5000.0;
            sink = f(x);
        },
        testing::ExitedWithCode(1), report("M6203", "exp: OVERFLOW error"));
    EXPECT_EXIT(
        {
            start_run();
            const double x = -5000.0;
            sink = g(x);
        },
        testing::ExitedWithCode(1), report("M6203", "exp: OVERFLOW error"));
    EXPECT_EXIT(
        {
            start_run();
            const double x = -5000.0;
            sink = df(x);
        },
        testing::ExitedWithCode(1), report("M6203", "exp: OVERFLOW error"));
}

TEST_F(EquationDeathTest, SquareOfHugeXOverflowsInThePower) {
    EXPECT_EXIT(
        {
            start_run();
            const double x = 1.5e154;
            sink = df(x);
        },
        testing::ExitedWithCode(1), report("M6203", "**: OVERFLOW error"));
}

}  // namespace
