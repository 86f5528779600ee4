// The language of a typed equation: what an expression means, the order of
// its operations, its derivative, its math errors and what it refuses.
#include "subrotinas/expressao.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <variant>

#include "io/units/unit_table.hpp"
#include "principal/typed_equation.hpp"
#include "runtime/elementary.hpp"
#include "runtime/fpenv.hpp"
#include "subrotinas/equacoes.hpp"
#include "unit/death_output.hpp"

namespace {

using subrotinas::Programa;
constexpr double inf = std::numeric_limits<double>::infinity();

Programa compiled(const std::string& text) {
    auto result = subrotinas::compila_expressao(text);
    if (auto* error = std::get_if<subrotinas::ErroDeExpressao>(&result)) {
        ADD_FAILURE() << text << ": " << error->mensagem;
        return std::get<Programa>(subrotinas::compila_expressao("0"));
    }
    return std::get<Programa>(result);
}

double value(Programa& p, double x) { return subrotinas::avalia(p, x).value(); }
std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

TEST(Expression, MeansWhatItsPrecedenceAndAssociativitySay) {
    struct Case {
        const char* text;
        double x, expected;
        std::size_t steps;  // one per operation written: nothing folded, a unary plus none
    };
    const Case cases[] = {
        {"1 + 2*3", 0, 7, 2},         {"(1+2)*3", 0, 9, 2},        {"8/4/2", 0, 1, 2},
        {"8-4-2", 0, 2, 2},           {"2**3**2", 0, 512, 2},      {"2^3^2", 0, 512, 2},
        {"-x**2", 3, -9, 2},          {"(-x)**2", 3, 9, 2},        {"-2^2", 0, -4, 2},
        {"2**-1", 0, 0.5, 2},         {"2*-x", 3, -6, 2},          {"x - -1", 2, 3, 2},
        {"+x", 5, 5, 0},              {"--x", 5, 5, 2},            {"2*3", 0, 6, 1},
        {" X\t*\t2 ", 4, 8, 1},       {"PI", 0, 0x1.921fb54442d18p+1, 0},
        {"1d-3", 0, 0.001, 0},        {"1E3 + .5 + 5.", 0, 1005.5, 2},
        {"1e-400", 0, 0, 0},          {"0.146843", 0, 0.146843, 0},
        {"abs(x)", -2.5, 2.5, 1},     {"sqrt(x)", 2, 0x1.6a09e667f3bcdp+0, 1},
    };
    for (const Case& c : cases) {
        Programa p = compiled(c.text);
        EXPECT_EQ(bits(value(p, c.x)), bits(c.expected)) << c.text;
        EXPECT_EQ(p.passos.size(), c.steps) << c.text;
    }
}

TEST(Expression, EachFunctionIsTheRunTimesIntrinsicAndPowerIsTheRealPower) {
    struct Case {
        const char* text;
        double (*intrinsic)(double);
    };
    const Case cases[] = {{"exp(x)", rt::rt_exp},   {"log(x)", rt::rt_log}, {"sqrt(x)", rt::rt_sqrt},
                          {"sin(x)", rt::rt_sin},   {"cos(x)", rt::rt_cos}, {"tan(x)", rt::rt_tan},
                          {"atan(x)", rt::rt_atan}, {"ABS(x)", std::fabs}};
    for (const Case& c : cases) {
        Programa p = compiled(c.text);
        for (double x : {0.3, 1.7, 12.5, 300.0})
            EXPECT_EQ(bits(value(p, x)), bits(c.intrinsic(x))) << c.text << " at " << x;
    }
    EXPECT_EQ(bits(rt::rt_sin(3.0)), bits(rt::elementary::sin(3.0)));
    Programa star = compiled("x**2.5"), caret = compiled("x^2.5");
    for (double x : {0.3, 7.0, 1e10}) {
        EXPECT_EQ(bits(value(star, x)), bits(rt::rt_pow(x, 2.5)));
        EXPECT_EQ(bits(value(caret, x)), bits(rt::rt_pow(x, 2.5)));
    }
}

// The built-in equation typed as expressions: the same steps in the same
// order, so the same bits at every x.
TEST(Expression, TheBuiltInEquationTypedGivesItsBits) {
    Programa f = compiled("(1 - exp(-(x*0.146843)))*667.38/x - 40");
    Programa g = compiled("(1 - exp(-(x*0.146843)))*667.38/40");
    Programa df = compiled("-((1 - exp(-(x*0.146843)))*667.38/x**2) + exp(-(x*0.146843))*0.146843*667.38/x");
    EXPECT_EQ(f.passos.size(), 7u);
    EXPECT_EQ(df.passos.size(), 15u);
    std::mt19937_64 random(14);
    std::uniform_real_distribution<double> near(-50, 60), far(-4800, 1e8);
    for (int i = 0; i < 20000; ++i) {
        const double x = i % 2 ? near(random) : far(random);
        EXPECT_EQ(bits(value(f, x)), bits(subrotinas::f(x).value())) << x;
        EXPECT_EQ(bits(value(g, x)), bits(subrotinas::g(x).value())) << x;
        EXPECT_EQ(bits(value(df, x)), bits(subrotinas::df(x).value())) << x;
    }
}

TEST(Derivative, AgreesWithTheClosedFormsAndAddsNoStepForConstants) {
    struct Case {
        const char* text;
        long double (*exact)(long double);
        std::size_t steps;  // 0: not counted
    };
    const Case cases[] = {
        {"x", [](long double) { return 1.0L; }, 0},
        {"5 + pi", [](long double) { return 0.0L; }, 1},
        {"x*3", [](long double) { return 3.0L; }, 1},
        {"exp(x)", [](long double x) { return std::exp(x); }, 1},
        {"x*x - x/(1 + x)", [](long double x) { return 2 * x - 1 / ((1 + x) * (1 + x)); }, 0},
        {"x**3", [](long double x) { return 3 * x * x; }, 0},
        {"2**x + x**x", [](long double x) { return std::pow(2.0L, x) * std::log(2.0L) + std::pow(x, x) * (std::log(x) + 1); }, 0},
        {"log(x) + sqrt(x)", [](long double x) { return 1 / x + 0.5L / std::sqrt(x); }, 0},
        {"sin(2*x) - cos(x)", [](long double x) { return 2 * std::cos(2 * x) + std::sin(x); }, 0},
        {"tan(x) + atan(x*x)", [](long double x) { return 1 / (std::cos(x) * std::cos(x)) + 2 * x / (1 + x * x * x * x); }, 0},
        {"-abs(x - 4)", [](long double x) { return x < 4 ? 1.0L : -1.0L; }, 0},
        {"(1 - exp(-(x*0.146843)))*667.38/x - 40",
         [](long double x) {
             const long double e = std::exp(-0.146843L * x);
             return -667.38L * (1 - e) / (x * x) + 667.38L * 0.146843L * e / x;
         }, 0},
    };
    for (const Case& c : cases) {
        Programa d = subrotinas::deriva(compiled(c.text));
        if (c.steps != 0) {
            EXPECT_EQ(d.passos.size(), c.steps) << c.text;
        }
        for (double x : {0.3, 1.25, 3.0, 7.5}) {
            const long double exact = c.exact(x);
            EXPECT_NEAR(value(d, x), static_cast<double>(exact), 1e-13 * std::fabs(static_cast<double>(exact)))
                << c.text << " at " << x;
        }
    }
}

// A fault ends the program with the report the built-in equation's would
// give: the intrinsic's math error, or the trapped operation.
TEST(ExpressionDeathTest, FaultsEndTheRunWithTheirReports) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    struct Case {
        const char* text;
        double x;
        bool derivative;
        const char* report;
    };
    const Case cases[] = {
        {"log(x)", 0.0, false, "M6202: MATH\r\n- log: SING error"},
        {"log(x)", -1.0, false, "M6201: MATH\r\n- log: DOMAIN error"},
        {"sqrt(x)", -1.0, false, "M6201: MATH\r\n- sqrt: DOMAIN error"},
        {"sin(x)", inf, false, "M6201: MATH\r\n- sin: DOMAIN error"},
        {"cos(x)", -inf, false, "M6201: MATH\r\n- cos: DOMAIN error"},
        {"tan(x)", inf, false, "M6201: MATH\r\n- tan: DOMAIN error"},
        {"exp(x)", 800.0, false, "M6203: MATH\r\n- exp: OVERFLOW error"},
        {"x**2", 1e200, false, "M6203: MATH\r\n- **: OVERFLOW error"},
        {"x^0.5", -1.0, false, "M6201: MATH\r\n- **: DOMAIN error"},
        {"x**-1", 0.0, false, "M6202: MATH\r\n- **: SING error"},
        {"1/x", 0.0, false, "M6103: MATH\r\n- floating-point error: divide by zero"},
        {"x/x", 0.0, false, "M6101: MATH\r\n- floating-point error: invalid"},
        {"x*x", 1e200, false, "M6104: MATH\r\n- floating-point error: overflow"},
        {"abs(x)", 0.0, true, "M6101: MATH\r\n- floating-point error: invalid"},
        {"sqrt(x)", 0.0, true, "M6103: MATH\r\n- floating-point error: divide by zero"},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(
            {
                rt::setup_floating_point();
                io::create_console_units();
                Programa p = compiled(c.text);
                if (c.derivative) p = subrotinas::deriva(p);
                value(p, c.x);
                std::exit(3);
            },
            testing::ExitedWithCode(1),
            testing::Matcher<const std::string&>(
                unit_death::as_captured(std::string("\r\nrun-time error ") + c.report + "\r\n")))
            << c.text << " at " << c.x;
    }
}

TEST(Expression, RefusalsShowTheFaultUnderACaret) {
    struct Case {
        std::string text;
        std::size_t position;
        const char* message;
    };
    const Case cases[] = {
        {"", 0, "empty expression"},
        {"  \t", 3, "empty expression"},
        {"2x", 1, "expected an operator (+ - * / ** ^) or the end of the expression"},
        {"x +", 3, "the expression ends where a number, x, pi, a function or '(' belongs"},
        {"*x", 0, "expected a number, x, pi, a function or '('"},
        {"sen(x)", 0, "unknown name 'sen' (the names are x, pi, exp, log, sqrt, sin, cos, tan, atan, abs)"},
        {"sin x", 4, "sin is a function: its argument goes in parentheses"},
        {"(x", 2, "missing ')'"},
        {"x)", 1, "')' without its '('"},
        {"1e", 2, "the exponent of a number needs digits"},
        {"1e+", 3, "the exponent of a number needs digits"},
        {"x*.", 2, "a number needs digits"},
        {"1e999", 0, "number out of the range of a double"},
        {"x # 2", 2, "unexpected character '#'"},
        {"x,2", 1, "unexpected character ','"},
        {"x\xC3\xA9", 1, "unexpected character byte 0xC3"},
        {std::string(65, '(') + "x" + std::string(65, ')'), 64, "nested deeper than 64 levels"},
        {std::string(65, '-') + "x", 64, "nested deeper than 64 levels"},
        {"x" + std::string(1000, ' '), 1000, "longer than 1000 characters"},
    };
    for (const Case& c : cases) {
        auto result = subrotinas::compila_expressao(c.text);
        ASSERT_EQ(result.index(), 1u) << c.text;
        const auto& error = std::get<subrotinas::ErroDeExpressao>(result);
        EXPECT_EQ(error.posicao, c.position) << c.text;
        EXPECT_EQ(error.mensagem, c.message) << c.text;
    }
    // The limits themselves are accepted.
    EXPECT_EQ(subrotinas::compila_expressao(std::string(64, '(') + "x" + std::string(64, ')')).index(), 0u);
    EXPECT_EQ(subrotinas::compila_expressao("x" + std::string(999, ' ')).index(), 0u);
    EXPECT_EQ(principal::refusal_text("--f", "1 +\tsen(x)\x1b", 4, "unknown name 'sen'"),
              "raizes: --f: unknown name 'sen'\n  1 +\tsen(x)?\n     \t^\n");
}

}  // namespace
