// Integer and real conversion of list-directed value texts.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "io/listio/conversions.hpp"
#include "runtime/messages.hpp"

namespace {

struct IntegerCase {
    std::string text;
    int error;
    std::int32_t value;  // when error is 0
};

void check_integers(const std::vector<IntegerCase>& cases) {
    for (const IntegerCase& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        std::int32_t value = 12345;
        EXPECT_EQ(io::convert_integer(c.text, value), c.error);
        if (c.error == 0)
            EXPECT_EQ(value, c.value);
        else
            EXPECT_EQ(value, 12345) << "a failed conversion leaves the variable alone";
    }
}

TEST(IntegerConversion, DecimalDigitsAndSigns) {
    check_integers({
        {"3", 0, 3},
        {"+3", 0, 3},
        {"-3", 0, -3},
        {"007", 0, 7},
        {"-0", 0, 0},
        {"+", 0, 0},
        {"-", 0, 0},
        {"", 0, 0},
    });
}

TEST(IntegerConversion, LimitsOfThirtyTwoBits) {
    check_integers({
        {"2147483647", 0, 2147483647},
        {"+2147483647", 0, 2147483647},
        {"-2147483647", 0, -2147483647},
        {"-2147483648", 0, INT32_MIN},
        {"2147483648", rt::msg::integer_out_of_range, 0},
        {"+2147483648", rt::msg::integer_out_of_range, 0},
        {"-2147483649", rt::msg::integer_out_of_range, 0},
        {"-02147483648", rt::msg::integer_out_of_range, 0},  // only the exact text reaches the lowest value
        {"2147483650", rt::msg::integer_out_of_range, 0},
        {"21474836470", rt::msg::integer_out_of_range, 0},
        {"99999999999999999999", rt::msg::integer_out_of_range, 0},
    });
}

TEST(IntegerConversion, InvalidCharacters) {
    check_integers({
        {"3.0", rt::msg::invalid_integer, 0},
        {"1e5", rt::msg::invalid_integer, 0},
        {"abc", rt::msg::invalid_integer, 0},
        {"a", rt::msg::invalid_integer, 0},
        {"1-2", rt::msg::invalid_integer, 0},
        {"--1", rt::msg::invalid_integer, 0},
        {"12 3", rt::msg::invalid_integer, 0},
        {std::string("1\0", 2), rt::msg::invalid_integer, 0},
        {"\xff", rt::msg::invalid_integer, 0},
    });
}

TEST(IntegerConversion, CtrlZEndsTheNumber) {
    check_integers({
        {"12\x1a" "34", 0, 12},
        {"\x1a", 0, 0},
        {"-7\x1a" "x", 0, -7},
        {"16#1F\x1a" "Z", 0, 31},
    });
}

TEST(IntegerConversion, RadixForm) {
    check_integers({
        {"16#1F", 0, 31},
        {"16#1f", 0, 31},
        {"#FF", 0, 255},
        {"-#FF", 0, -255},
        {"+16#1F", 0, 31},
        {"2#101", 0, 5},
        {"8#777", 0, 511},
        {"36#zz", 0, 1295},
        {"36#Z", 0, 35},
        {"10#2147483647", 0, 2147483647},
        {"16#", 0, 0},
        {"#FFFFFFFF", 0, -1},
        {"16#ffffffff", 0, -1},
        {"16#80000000", 0, INT32_MIN},
        {"-16#80000000", 0, INT32_MIN},
        {"-16#FFFFFFFF", 0, 1},
        {"2#11111111111111111111111111111111", 0, -1},
        {"3#102002022201221111210", 0, -1},  // 4294967295
    });
}

TEST(IntegerConversion, RadixErrors) {
    check_integers({
        {"1#0", rt::msg::radix_out_of_range, 0},
        {"0#1", rt::msg::radix_out_of_range, 0},
        {"37#1", rt::msg::radix_out_of_range, 0},
        {"99999#1", rt::msg::radix_out_of_range, 0},
        {"16#1#2", rt::msg::second_radix_mark, 0},
        {"##1", rt::msg::second_radix_mark, 0},
        {"16#G", rt::msg::invalid_integer, 0},
        {"2#2", rt::msg::invalid_integer, 0},
        {"10#A", rt::msg::invalid_integer, 0},
        {"16#1.0", rt::msg::invalid_integer, 0},
        {"16#-1", rt::msg::invalid_integer, 0},
    });
}

TEST(IntegerConversion, RadixOverflowAndWrapAround) {
    check_integers({
        {"16#100000000", rt::msg::integer_out_of_range, 0},   // above 4294967295 / 16 before the step
        {"16#FFFFFFFF0", rt::msg::integer_out_of_range, 0},
        {"3#102002022201221111211", rt::msg::integer_out_of_range, 0},  // 4294967296 wraps
        {"10#2147483648", rt::msg::integer_out_of_range, 0},  // negative in radix 10
        {"10#4294967295", rt::msg::integer_out_of_range, 0},
        {"2#111111111111111111111111111111111", rt::msg::integer_out_of_range, 0},
    });
}

struct RealCase {
    std::string text;
    int error;
    double value;  // when error is 0
};

void check_reals(const std::vector<RealCase>& cases) {
    for (const RealCase& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        double value = 12345.0;
        EXPECT_EQ(io::convert_real(c.text, value), c.error);
        if (c.error == 0)
            EXPECT_EQ(value, c.value);
        else
            EXPECT_EQ(value, 12345.0) << "a failed conversion leaves the variable alone";
    }
}

TEST(RealConversion, ExponentForms) {
    check_reals({
        {"1d-6", 0, 1e-6},
        {"1D-6", 0, 1e-6},
        {"1E-6", 0, 1e-6},
        {"1e-06", 0, 1e-6},
        {"1-6", 0, 1e-6},
        {".000001", 0, 1e-6},
        {"0.000001", 0, 1e-6},
        {"2+1", 0, 20.0},
        {"1.5-3", 0, 1.5e-3},
        {"1.5d+2", 0, 150.0},
        {"1e2", 0, 100.0},
        {"-2.5e0", 0, -2.5},
        {"2.5E+000", 0, 2.5},
    });
}

TEST(RealConversion, SignificandForms) {
    check_reals({
        {"2", 0, 2.0},
        {"-2", 0, -2.0},
        {"+.5", 0, 0.5},
        {"5.", 0, 5.0},
        {"14.78", 0, 14.78},
        {"0", 0, 0.0},
        {"000012.5000", 0, 12.5},
        {" \t1.5", 0, 1.5},
        {"0.1000000000000000055511151231257827", 0, 0.1},
        {"9007199254740993", 0, 9007199254740992.0},  // ties to even
    });
}

TEST(RealConversion, InvalidTexts) {
    check_reals({
        {"1.e", rt::msg::invalid_real, 0},
        {"1.5.2", rt::msg::invalid_real, 0},
        {"1e", rt::msg::invalid_real, 0},
        {"1e+", rt::msg::invalid_real, 0},
        {"1+", rt::msg::invalid_real, 0},
        {"1d-", rt::msg::invalid_real, 0},
        {"1ee5", rt::msg::invalid_real, 0},
        {"1e5.0", rt::msg::invalid_real, 0},
        {"1e5e5", rt::msg::invalid_real, 0},
        {".", rt::msg::invalid_real, 0},
        {"+", rt::msg::invalid_real, 0},
        {"-.", rt::msg::invalid_real, 0},
        {"e5", rt::msg::invalid_real, 0},
        {"abc", rt::msg::invalid_real, 0},
        {"--1", rt::msg::invalid_real, 0},
        {"1x", rt::msg::invalid_real, 0},
        {"1 ", rt::msg::invalid_real, 0},
        {"0x10", rt::msg::invalid_real, 0},
        {"inf", rt::msg::invalid_real, 0},
        {"nan", rt::msg::invalid_real, 0},
        {std::string("1\0", 2), rt::msg::invalid_real, 0},
    });
}

TEST(RealConversion, TooLargeForADouble) {
    check_reals({
        {"1.7976931348623157e308", 0, DBL_MAX},
        {"1.75e308", 0, 1.75e308},
        {"-1.7976931348623158e308", 0, -DBL_MAX},
        {"1.7976931348623159e308", rt::msg::real_out_of_range, 0},
        {"1e309", rt::msg::real_out_of_range, 0},
        {"1.8e308", rt::msg::real_out_of_range, 0},
        {"-1e400", rt::msg::real_out_of_range, 0},
        {"1e5201", rt::msg::real_out_of_range, 0},
        {"1e" + std::string(30, '9'), rt::msg::real_out_of_range, 0},
        {std::string(400, '9'), rt::msg::real_out_of_range, 0},
    });
}

TEST(RealConversion, TooSmallGivesZeroOrADenormal) {
    double value = 1.0;
    ASSERT_EQ(io::convert_real("1e-310", value), 0);
    EXPECT_EQ(value, 1e-310);
    EXPECT_EQ(std::fpclassify(value), FP_SUBNORMAL);

    ASSERT_EQ(io::convert_real("4.9e-324", value), 0);
    EXPECT_EQ(value, DBL_TRUE_MIN);

    value = 1.0;
    ASSERT_EQ(io::convert_real("1e-400", value), 0);
    EXPECT_EQ(value, 0.0);

    value = 1.0;
    ASSERT_EQ(io::convert_real("-1e-400", value), 0);
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(std::signbit(value));

    value = 1.0;
    ASSERT_EQ(io::convert_real("1e-" + std::string(30, '9'), value), 0);
    EXPECT_EQ(value, 0.0);

    // Digits far after the point count: 10^-320 is a denormal, not zero.
    ASSERT_EQ(io::convert_real("0." + std::string(319, '0') + "1", value), 0);
    EXPECT_EQ(value, 1e-320);
}

TEST(RealConversion, ExponentDigitsSaturateAt5201) {
    // 10^-5000 × 10^5300 would be 10^300; with the exponent held at 5201 it
    // is 10^201.
    const std::string tiny_significand = "0." + std::string(4999, '0') + "1";
    double value = 0.0;
    ASSERT_EQ(io::convert_real(tiny_significand + "e5300", value), 0);
    EXPECT_EQ(value, 1e201);
    ASSERT_EQ(io::convert_real(tiny_significand + "e5201", value), 0);
    EXPECT_EQ(value, 1e201);
    ASSERT_EQ(io::convert_real(tiny_significand + "e5200", value), 0);
    EXPECT_EQ(value, 1e200);

    // Below the saturation the exponent counts in full.
    ASSERT_EQ(io::convert_real("1" + std::string(4990, '0') + "e-4800", value), 0);
    EXPECT_EQ(value, 1e190);
    // Negative exponents saturate the same way: 10^4990 × 10^-5201.
    ASSERT_EQ(io::convert_real("1" + std::string(4990, '0') + "e-99999", value), 0);
    EXPECT_EQ(value, 1e-211);
}

}  // namespace
