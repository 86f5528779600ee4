// The decimal conversion of an 8-byte real: 17 significant digits rounded
// by the 18th, its sign and exponent, and the texts of non-finite values.
#include "io/format/decimal.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "support/decimal_digits.hpp"

namespace {

std::string digits_of(const io::DecimalDigits& dd) { return std::string(dd.digits, static_cast<std::size_t>(dd.count)); }

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

TEST(DecimalConversion, ZeroAndSign) {
    const io::DecimalDigits plus = io::to_decimal_digits(0.0);
    const io::DecimalDigits minus = io::to_decimal_digits(-0.0);
    for (const auto& dd : {plus, minus}) {
        EXPECT_EQ(dd.sign, ' ');
        EXPECT_EQ(digits_of(dd), "0");
        EXPECT_EQ(dd.exponent, 0);
        EXPECT_TRUE(dd.finite);
    }
    EXPECT_EQ(io::to_decimal_digits(-2.5).sign, '-');
    EXPECT_EQ(io::to_decimal_digits(2.5).sign, ' ');
}

TEST(DecimalConversion, SeventeenDigitsRoundedByTheEighteenth) {
    struct Case {
        double value;
        const char* digits;
        int exponent;
    };
    const Case cases[] = {
        {14.78, "14779999999999999", 2},
        {0.5, "5", 0},
        {1.0, "1", 1},
        {123.456, "123456", 3},
        {0.1, "10000000000000001", 0},          // 0.1000000000000000055|5...
        {9.900370915320932, "99003709153209325", 1},  // ...932496...
        {1.0E-7, "99999999999999995", -7},      // ...999954|7...
        {1.0E-14, "1", -13},                    // 0.999...9998|8...: carries out
        {2240256910803345.25, "22402569108033453", 16},  // exact tie: away from zero
        {86135400878855.3125, "86135400878855313", 14},  // exact tie
        {718830523569565.75, "71883052356956575", 15},   // exactly 17 digits
        {std::numeric_limits<double>::max(), "17976931348623157", 309},
        {std::numeric_limits<double>::denorm_min(), "49406564584124654", -323},
        {std::numeric_limits<double>::min(), "22250738585072014", -307},
    };
    for (const Case& c : cases) {
        const io::DecimalDigits dd = io::to_decimal_digits(-c.value);
        EXPECT_EQ(digits_of(dd), c.digits) << c.value;
        EXPECT_EQ(dd.exponent, c.exponent) << c.value;
        EXPECT_EQ(dd.sign, '-');
        EXPECT_TRUE(dd.finite);
    }
}

TEST(DecimalConversion, NonFiniteTexts) {
    const io::DecimalDigits inf = io::to_decimal_digits(-INFINITY);
    EXPECT_FALSE(inf.finite);
    ASSERT_NE(inf.nonfinite_text, nullptr);
    EXPECT_STREQ(inf.nonfinite_text, "1#INF");
    EXPECT_EQ(digits_of(inf), "1#INF");
    EXPECT_STREQ(io::to_decimal_digits(from_bits(0xFFF8000000000000u)).nonfinite_text, "1#IND");
    EXPECT_STREQ(io::to_decimal_digits(from_bits(0x7FF8000000000000u)).nonfinite_text, "1#QNAN");
    EXPECT_STREQ(io::to_decimal_digits(from_bits(0x7FF0000000000001u)).nonfinite_text, "1#SNAN");
    EXPECT_EQ(io::to_decimal_digits(1.0).nonfinite_text, nullptr);
}

}  // namespace
