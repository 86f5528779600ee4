// The report field 1P,E25.15 and the 17-digit conversion against an exact
// reference: the decimal expansion of the double by big-integer arithmetic,
// then the two roundings digit by digit.
#include "io/format/edit.hpp"
#include "io/format/record.hpp"
#include "support/exact_reference.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// ---- Reference ------------------------------------------------------------

using exact::Conversion;
using exact::exact_expansion;

Conversion reference_conversion(double value) { return exact::conversion(value); }

// 1P,E25.15 of an 8-byte real, by the exact reference.
std::string reference_report_field(double value) {
    return exact::fitted(exact::exponent_form(value, 16, 25, 15, 2, 1, false), 25);
}

// ---- Value sets -------------------------------------------------------------

struct Category {
    const char* name;
    std::vector<double> values;
};

using Random = std::mt19937_64;

double with_random_sign(double v, Random& rng) { return (rng() & 1) != 0 ? -v : v; }

double bits_to_double(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// Adds v and its n neighbours on each side.
void add_neighbourhood(std::vector<double>& out, double v, int n) {
    out.push_back(v);
    double below = v;
    double above = v;
    for (int i = 0; i < n; ++i) {
        below = std::nextafter(below, -INFINITY);
        above = std::nextafter(above, INFINITY);
        out.push_back(below);
        out.push_back(above);
    }
}

double parse(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

std::string random_digits(Random& rng, int count) {
    std::string s;
    s += static_cast<char>('1' + rng() % 9);
    for (int i = 1; i < count; ++i) s += static_cast<char>('0' + rng() % 10);
    return s;
}

Category random_bit_patterns(Random& rng) {
    Category c{"random bit patterns", {}};
    for (int i = 0; i < 300000; ++i) c.values.push_back(bits_to_double(rng()));
    return c;
}

Category near_powers_of_ten() {
    Category c{"near powers of ten", {}};
    for (int q = -323; q <= 308; ++q) {
        add_neighbourhood(c.values, parse("1e" + std::to_string(q)), 40);
        for (int k = 2; k <= 9; ++k) add_neighbourhood(c.values, parse(std::to_string(k) + "e" + std::to_string(q)), 5);
    }
    return c;
}

// The doubles nearest to decimals that lie exactly halfway at the 17th or
// the 18th digit, with their neighbours.
Category near_decimal_halfway(Random& rng) {
    Category c{"near decimal halfway points", {}};
    for (int i = 0; i < 100000; ++i) {
        const int kept = i % 2 == 0 ? 16 : 17;
        const std::string digits = random_digits(rng, kept) + "5";
        const int q = static_cast<int>(rng() % 650) - 340;
        const double v = parse(digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(q));
        add_neighbourhood(c.values, with_random_sign(v, rng), 1);
    }
    return c;
}

// Doubles m x 2^-j whose exact expansion m x 5^j has exactly 17 or 18 digits
// ending in 5: exact ties for the 16-digit and the 17-digit rounding.
Category exact_ties(Random& rng) {
    Category c{"exact ties", {}};
    const std::uint64_t limit = std::uint64_t{1} << 53;
    for (int digits : {17, 18}) {
        std::uint64_t low_bound = 1;
        for (int i = 1; i < digits; ++i) low_bound *= 10;
        const std::uint64_t high_bound = low_bound * 10 - 1;
        std::uint64_t five_j = 1;
        for (int j = 1; j <= 27; ++j) {
            five_j *= 5;
            if (five_j > high_bound) break;
            const std::uint64_t lo = (low_bound + five_j - 1) / five_j;
            const std::uint64_t hi = std::min(high_bound / five_j, limit - 1);
            if (lo > hi) continue;
            for (int i = 0; i < 1000; ++i) {
                const std::uint64_t m = (lo + rng() % (hi - lo + 1)) | 1;
                if (m > hi) continue;
                c.values.push_back(with_random_sign(std::ldexp(static_cast<double>(m), -j), rng));
            }
        }
    }
    return c;
}

// Doubles whose exact value lies within a few units of the 19th digit of a
// 17-digit midpoint (chosen by their 20-digit correct rounding).
Category near_binary_midpoints(Random& rng) {
    Category c{"near 17-digit midpoints", {}};
    while (c.values.size() < 60000) {
        const std::uint64_t bits = rng() & 0x7FFFFFFFFFFFFFFFu;
        const double v = bits_to_double(bits);
        if (!std::isfinite(v) || v == 0.0) continue;
        char buf[40];
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 19);
        const std::string tail(buf + 18, 2);  // digits 18 and 19
        if (tail == "49" || tail == "50") c.values.push_back(with_random_sign(v, rng));
    }
    return c;
}

// Values whose 16- or 17-digit rounding runs a carry through a string of
// nines, into a new leading digit or not.
Category carries(Random& rng) {
    Category c{"carries through nines", {}};
    for (int i = 0; i < 30000; ++i) {
        const char lead = i % 3 == 0 ? '9' : static_cast<char>('1' + rng() % 9);
        std::string digits(1, lead);
        digits += std::string(static_cast<std::size_t>(14 + rng() % 2), '9');
        digits += static_cast<char>('4' + rng() % 6);
        digits += random_digits(rng, 3);
        const int q = static_cast<int>(rng() % 640) - 330;
        const double v = parse(digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(q));
        add_neighbourhood(c.values, with_random_sign(v, rng), 1);
    }
    return c;
}

Category denormals(Random& rng) {
    Category c{"denormals", {}};
    for (int i = 0; i < 100000; ++i) {
        const std::uint64_t fraction = rng() & 0x000FFFFFFFFFFFFFu;
        c.values.push_back(with_random_sign(bits_to_double(fraction), rng));
    }
    for (std::uint64_t f = 1; f <= 1000; ++f) {
        c.values.push_back(bits_to_double(f));
        c.values.push_back(-bits_to_double(0x0010000000000000u - f));
    }
    return c;
}

Category extremes() {
    Category c{"zeros, extremes, non-finite", {}};
    const double notable[] = {0.0,
                               -0.0,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::denorm_min(),
                               1.0,
                               INFINITY,
                               bits_to_double(0xFFF8000000000000u),
                               bits_to_double(0x7FF8000000000000u),
                               bits_to_double(0x7FF0000000000001u),
                               bits_to_double(0xFFF0000000000001u),
                               bits_to_double(0xFFF8000000000001u)};
    for (double v : notable) {
        add_neighbourhood(c.values, v, 1000);
        add_neighbourhood(c.values, -v, 10);
    }
    return c;
}

Category report_range(Random& rng) {
    Category c{"log-uniform 1e-30..1e30", {}};
    std::uniform_real_distribution<double> exponent(-30.0, 30.0);
    for (int i = 0; i < 100000; ++i) c.values.push_back(with_random_sign(std::pow(10.0, exponent(rng)), rng));
    return c;
}

std::vector<Category> all_categories() {
    Random rng(20240611);
    std::vector<Category> all;
    all.push_back(random_bit_patterns(rng));
    all.push_back(near_powers_of_ten());
    all.push_back(near_decimal_halfway(rng));
    all.push_back(exact_ties(rng));
    all.push_back(near_binary_midpoints(rng));
    all.push_back(carries(rng));
    all.push_back(denormals(rng));
    all.push_back(extremes());
    all.push_back(report_range(rng));
    return all;
}

// ---- Checks ---------------------------------------------------------------

std::string hex_bits(double v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%016llx", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)));
    return buf;
}

std::string edited_report_field(double value) {
    io::Record record;
    io::put_report_field(record, value, {.w = 25, .d = 15, .e = 2, .k = 1});
    return std::string(record.text());
}

// The conversion in the reference's text (exact::conversion_text).
std::string converted_text(double v) {
    if (const char* text = io::nonfinite_text(v)) return std::string(1, std::signbit(v) ? '-' : ' ') + text;
    const io::Decimal d = io::to_decimal(v);
    return d.zero ? " 0" : std::string(1, d.sign) + "0." + std::to_string(d.value) + "E" + std::to_string(d.exponent);
}

TEST(EditProperty, ReportFieldAndConversionMatchTheExactReference) {
    const std::vector<Category> categories = all_categories();
    std::size_t total = 0;
    std::size_t ties_and_midpoints = 0;
    std::string report;
    std::size_t mismatches = 0;
    for (const Category& category : categories) {
        std::size_t category_mismatches = 0;
        for (double v : category.values) {
            const std::string want_conversion = exact::conversion_text(reference_conversion(v));
            const std::string got_conversion = converted_text(v);
            const std::string want_field = reference_report_field(v);
            const std::string got_field = edited_report_field(v);
            if (want_conversion != got_conversion || want_field != got_field) {
                if (++category_mismatches <= 5)
                    report += std::string(category.name) + " " + hex_bits(v) + ": want [" + want_conversion + "] [" +
                              want_field + "], got [" + got_conversion + "] [" + got_field + "]\n";
            }
        }
        mismatches += category_mismatches;
        total += category.values.size();
        if (std::string(category.name) == "exact ties" || std::string(category.name) == "near 17-digit midpoints")
            ties_and_midpoints += category.values.size();
    }
    EXPECT_GE(total, 1000000u);
    EXPECT_GE(ties_and_midpoints, 80000u);
    EXPECT_EQ(mismatches, 0u) << report;
}

// The reference itself on values whose expansions are known by hand.
TEST(EditProperty, ReferenceKnowsKnownExpansions) {
    EXPECT_EQ(exact_expansion(0.5).leading.substr(0, 3), "500");
    EXPECT_EQ(exact_expansion(0.5).exponent, 0);
    EXPECT_EQ(exact_expansion(1024.0).leading.substr(0, 5), "10240");
    EXPECT_EQ(exact_expansion(1024.0).exponent, 4);
    EXPECT_EQ(exact_expansion(0.1).leading.substr(0, 20), "10000000000000000555");
    EXPECT_EQ(exact_expansion(std::numeric_limits<double>::denorm_min()).leading.substr(0, 20),
              "49406564584124654417");
    EXPECT_EQ(exact_expansion(std::numeric_limits<double>::denorm_min()).exponent, -323);
    EXPECT_EQ(exact_expansion(std::numeric_limits<double>::max()).leading.substr(0, 20), "17976931348623157081");
    EXPECT_EQ(exact_expansion(std::numeric_limits<double>::max()).exponent, 309);
    EXPECT_EQ(reference_report_field(9.900370915320932), "    9.900370915320933E+00");
    EXPECT_EQ(reference_report_field(-1.0E-100), "   -1.000000000000000-100");
}

}  // namespace
