// The decimal conversion of an 8-byte real: 17 significant digits rounded
// by the 18th, its sign and exponent, and the texts of non-finite values.
#include "io/format/decimal.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "io/format/edit.hpp"
#include "support/exact_reference.hpp"

namespace {

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

TEST(DecimalConversion, ZeroAndSign) {
    for (const io::Decimal& d : {io::to_decimal(0.0), io::to_decimal(-0.0)}) {
        EXPECT_EQ(d.sign, ' ');
        EXPECT_TRUE(d.zero);
        EXPECT_EQ(d.exponent, 0);
    }
    EXPECT_EQ(io::to_decimal(-2.5).sign, '-');
    EXPECT_EQ(io::to_decimal(2.5).sign, ' ');
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
        const io::Decimal d = io::to_decimal(-c.value);
        // All 17 digits, the trailing zeros too.
        const std::string digits = c.digits + std::string(17 - std::string(c.digits).size(), '0');
        EXPECT_EQ(std::to_string(d.value), digits) << c.value;
        EXPECT_EQ(exact::conversion(c.value).digits, c.digits) << c.value;
        EXPECT_EQ(d.exponent, c.exponent) << c.value;
        EXPECT_EQ(d.sign, '-');
    }
}

TEST(DecimalConversion, NonFiniteTexts) {
    EXPECT_STREQ(io::nonfinite_text(-INFINITY), "1#INF");
    EXPECT_STREQ(io::nonfinite_text(from_bits(0xFFF8000000000000u)), "1#IND");
    EXPECT_STREQ(io::nonfinite_text(from_bits(0x7FF8000000000000u)), "1#QNAN");
    EXPECT_STREQ(io::nonfinite_text(from_bits(0x7FF0000000000001u)), "1#SNAN");
    EXPECT_EQ(io::nonfinite_text(1.0), nullptr);
}

}  // namespace
