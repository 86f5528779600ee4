// The web build's number texts, through the C library, against the C++
// library's on this machine: the same text for every double and the same
// double for every text.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "number_text.hpp"

namespace {

double from_bits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string library_text(double value, std::chars_format form, int precision) {
    char buffer[400];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, form, precision).ptr);
}

std::string library_shortest(double value) {
    char buffer[64];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::vector<double> samples() {
    std::vector<double> values = {0.0, -0.0, 1.0, 14.5, 100.0, 1e22, 1e21, 0.1, 1e-5, 123456789012345680.0,
                                  std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::min(), 9.000000000000002, 1e300, 2e-323};
    std::mt19937_64 rng(20261209);
    for (int i = 0; i < 20000; ++i) {
        const double value = from_bits(rng());
        if (std::isfinite(value)) values.push_back(value);
    }
    for (int i = 0; i < 2000; ++i) values.push_back(std::ldexp(static_cast<double>(rng() % 100000), -(i % 60)));
    return values;
}

TEST(PlotNumberTextC, TextsAreTheCppLibrarysForEveryDouble) {
    for (double value : samples()) {
        SCOPED_TRACE(library_shortest(value));
        EXPECT_EQ(plot::shortest_text(value), library_shortest(value));
        for (int decimals : {0, 2, 17})
            EXPECT_EQ(plot::scientific_text(value, decimals),
                      library_text(value, std::chars_format::scientific, decimals));
        if (std::fabs(value) < 1e30) {
            for (int decimals : {0, 5, 40})
                EXPECT_EQ(plot::fixed_text(value, decimals), library_text(value, std::chars_format::fixed, decimals));
        }
    }
}

TEST(PlotNumberTextC, ScientificTextsReadAsTheCppLibraryReadsThem) {
    for (double value : samples()) {
        const std::string text = library_text(value, std::chars_format::scientific, 15);
        double read = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), read);
        if (result.ec == std::errc{}) {
            EXPECT_EQ(plot::read_scientific(text), read) << text;
        }
    }
    const double largest = std::numeric_limits<double>::max();
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"1.797693134862316e+308", largest}, {"-1.797693134862316E+308", -largest}, {"1e-400", 0.0},
        {"4.9e-324", std::numeric_limits<double>::denorm_min()}, {"1.5", std::nullopt}, {"+1e5", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"0x1p3", std::nullopt}, {"1e", std::nullopt},
        {"1..2e3", std::nullopt}, {"e5", std::nullopt}, {"-1.5e-3", -1.5e-3},
    };
    for (const auto& c : cases) EXPECT_EQ(plot::read_scientific(c.text), c.value) << c.text;
}

}  // namespace
