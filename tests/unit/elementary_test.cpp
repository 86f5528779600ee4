// The run-time's own logarithm, sine, cosine, tangent, arc tangent and
// power: the same bits on every platform, and within a unit in the last
// place of the exact values (the tangent within one and a half, the power
// rounded correctly).
#include "runtime/elementary.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace {

namespace el = rt::elementary;

bool same_bits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) || (std::isnan(a) && std::isnan(b));
}

// Results this implementation gives, each checked against the exact value
// (within 0.97 units in the last place): every platform must give these
// bits. The arguments cover the subnormals, the ends of the kernels near
// pi/4, neighbours of multiples of pi/2 (among them 1.417... times 2^849,
// the double nearest of all to one), the largest double and the arc
// tangent's intervals.
struct Bits {
    double x, log, sin, cos, tan, atan;
};
const Bits bits_table[] = {
    {0x0.0000000000001p-1022, -0x1.74385446d71c3p+9, 0x0.0000000000001p-1022,
     0x1p+0, 0x0.0000000000001p-1022, 0x0.0000000000001p-1022},
    {0x0.018p-1022, -0x1.64c49fefb1953p+9, 0x0.018p-1022,
     0x1p+0, 0x0.018p-1022, 0x0.018p-1022},
    {0x1p-27, -0x1.2b708872320e2p+4, 0x1p-27,
     0x1p+0, 0x1p-27, 0x1p-27},
    {0x1.fffffffffffffp-28, -0x1.2b708872320e2p+4, 0x1.fffffffffffffp-28,
     0x1p+0, 0x1.fffffffffffffp-28, 0x1.fffffffffffffp-28},
    {0x1.921fb54442d18p-1, -0x1.eeb95b094c193p-3, 0x1.6a09e667f3bccp-1,
     0x1.6a09e667f3bcdp-1, 0x1p+0, 0x1.54e04c05d06ap-1},
    {0x1.921fb54442d19p-1, -0x1.eeb95b094c18ep-3, 0x1.6a09e667f3bcdp-1,
     0x1.6a09e667f3bccp-1, 0x1.0000000000001p+0, 0x1.54e04c05d06a1p-1},
    {0x1.921fb54442d18p+0, 0x1.ce6bb25aa1315p-2, 0x1p+0,
     0x1.1a62633145c07p-54, 0x1.d02967c31cdb5p+53, 0x1.00fe987ed02ffp+0},
    {0x1.921fb54442d18p+1, 0x1.250d048e7a1bdp+0, 0x1.1a62633145c07p-53,
     -0x1p+0, -0x1.1a62633145c07p-53, 0x1.433b8a322ddd2p+0},
    {0x1.2d97c7f3321d2p+2, 0x1.8cd99441787dp+0, -0x1p+0,
     -0x1.a79394c9e8a0ap-53, 0x1.3570efd768923p+52, 0x1.5c97d37d98aa4p+0},
    {0x1.6ac5b262ca1ffp+849, 0x1.266a4f98a7d3fp+9, 0x1p+0,
     -0x1.14ae72e6ba22fp-61, -0x1.d9ba9a7975636p+60, 0x1.921fb54442d18p+0},
    {0x1.fffffffffffffp+1023, 0x1.62e42fefa39efp+9, 0x1.452fc98b34e97p-8,
     -0x1.fffe62ecfab75p-1, -0x1.4530cfe729484p-8, 0x1.921fb54442d18p+0},
    {0x1p+1023, 0x1.628b76e3a7b61p+9, 0x1.205248cbdb76p-1,
     -0x1.a719f26c232bfp-1, -0x1.5ce6b4c0d02a3p-1, 0x1.921fb54442d18p+0},
    {0x1.5p+60, 0x1.4ee2d8861ed9cp+5, 0x1.48e1f713ed65p-1,
     0x1.886730eb32259p-1, 0x1.ad1eaa547554bp-1, 0x1.921fb54442d18p+0},
    {-0x1.5p+60, NAN, -0x1.48e1f713ed65p-1,
     0x1.886730eb32259p-1, -0x1.ad1eaa547554bp-1, -0x1.921fb54442d18p+0},
    {0x1.3p+20, 0x1.c11d0807b66bap+3, 0x1.da70c628e230fp-1,
     0x1.80f7f0a2bd8e5p-2, 0x1.3b7f791200074p+1, 0x1.921fa7caff733p+0},
    {-0x1.d41p+5, NAN, -0x1.d9dfd12e15de6p-1,
     -0x1.83bf884806934p-2, 0x1.38dcc511b12e7p+1, -0x1.8dbfb17650bcep+0},
    {0x1.6a09e667f3bcdp+0, 0x1.62e42fefa39fp-2, 0x1.f9bc75444858bp-1,
     0x1.3f5f6868470b3p-3, 0x1.9562355bda6e7p+2, 0x1.e91f42805715dp-1},
    {0x1.6a09e667f3bccp+0, 0x1.62e42fefa39eep-2, 0x1.f9bc75444858ap-1,
     0x1.3f5f6868470bbp-3, 0x1.9562355bda6ddp+2, 0x1.e91f42805715cp-1},
    {0x1.0000000000001p+0, 0x1.fffffffffffffp-53, 0x1.aed548f090cefp-1,
     0x1.14a280fb5068ap-1, 0x1.8eb245cbee3a9p+0, 0x1.921fb54442d19p-1},
    {0x1.fffffffffffffp-1, -0x1p-53, 0x1.aed548f090cedp-1,
     0x1.14a280fb5068cp-1, 0x1.8eb245cbee3a4p+0, 0x1.921fb54442d18p-1},
    {0x1.8p-1, -0x1.269621134db92p-2, 0x1.5cffc16bf8f0ep-1,
     0x1.769fec655211fp-1, 0x1.dcfa36110eeecp-1, 0x1.4978fa3269ee1p-1},
    {0x1.1p+0, 0x1.f0a30c01162a6p-5, 0x1.bf4536c24bb86p-1,
     0x1.f25ec6b852fc2p-2, 0x1.cb80ac81fe612p+0, 0x1.a1a25f2c82506p-1},
    {0x1.38p+1, 0x1.c82d9a6374f9cp-1, 0x1.4b707a7acdecdp-1,
     -0x1.863efa361dc25p-1, -0x1.b2d89a938294dp-1, 0x1.2e75728833a54p+0},
    {0x1.2p+66, 0x1.6eec89aa92138p+5, 0x1.fd1d81bc70a84p-1,
     0x1.b230da01be92cp-4, 0x1.2c2cf65f815d6p+3, 0x1.921fb54442d18p+0},
    {0x1.bp+1, 0x1.3765af18fb239p+0, -0x1.d9b09200454f7p-3,
     -0x1.f21dd83591ff9p-1, 0x1.e6e46f812c2cfp-3, 0x1.4861b4cfbe71p+0},
    {0x1.c8p-2, -0x1.9e327eb6ac2c4p-1, 0x1.b913e30dbac43p-2,
     0x1.ce115909a82e5p-1, 0x1.e8bdde7bb318bp-2, 0x1.ad00f5422058cp-2},
    {0x1.5cp-1, -0x1.8b639a88b2df5p-2, 0x1.41d14e4ba679p-1,
     0x1.8e37c303d9ad1p-1, 0x1.9dc522c1e56b5p-1, 0x1.31a52048874bep-1},
    {0x1.76p+1, 0x1.127d5f604bfbep+0, 0x1.be5eb484eaea6p-3,
     -0x1.f3b0e6cc8647ep-1, -0x1.c95d8e4d3c3e2p-3, 0x1.3db52fda44e83p+0},
    {0x1.d9p+13, 0x1.33fe9e3133af2p+3, -0x1.89a0f280f5a6bp-3,
     0x1.f67439b8839edp-1, -0x1.911b6e38fef9ep-3, 0x1.921b60d5d9ed2p+0},
    {0x1.dbp+4, 0x1.b2034fef80671p+1, -0x1.f9a6fa398774fp-1,
     -0x1.417dce9cf3578p-3, 0x1.92a52ac0e8744p+2, 0x1.89810394ddab6p+0},
    {0x1.9a6562677b89ep+510, 0x1.61fa1d25f8cf9p+8, 0x1.6976ca5293f0cp-1,
     -0x1.6a9cc6cedf8bbp-1, -0x1.fe60e60124852p-1, 0x1.921fb54442d18p+0},
    {-0x1.2f3b78a084ca8p+1, NAN, -0x1.655f448701eeap-1,
     -0x1.6ea554293dfbdp-1, 0x1.f30cc248e3811p-1, -0x1.2bded2f1dd598p+0},
    {0x1.613a61a88f9b6p+2, 0x1.b54e9d37d89fap+0, -0x1.6235535fd834cp-1,
     0x1.71b406d643e4ap-1, -0x1.ea8a898818b15p-1, 0x1.643cef3aedfa4p+0},
    {0x1.c463abeccb2bbp+3, 0x1.530c1df62456dp+1, 0x1p+0,
     0x1.3daeaf976e788p-51, 0x1.9c96951f36184p+50, 0x1.800bb15ffe80ep+0},
    {0x1.8p+11, 0x1.00f672eb20497p+3, -0x1.d6b1c8cc243b6p-2,
     0x1.c6b435d600268p-1, -0x1.0900b282cb515p-1, 0x1.920a5feefa208p+0},
};

TEST(Elementary, GiveTheSameBitsOnEveryPlatform) {
    for (const Bits& b : bits_table) {
        EXPECT_TRUE(same_bits(el::log(b.x), b.log)) << std::hexfloat << "log " << b.x << " " << el::log(b.x);
        EXPECT_TRUE(same_bits(el::sin(b.x), b.sin)) << std::hexfloat << "sin " << b.x << " " << el::sin(b.x);
        EXPECT_TRUE(same_bits(el::cos(b.x), b.cos)) << std::hexfloat << "cos " << b.x << " " << el::cos(b.x);
        EXPECT_TRUE(same_bits(el::tan(b.x), b.tan)) << std::hexfloat << "tan " << b.x << " " << el::tan(b.x);
        EXPECT_TRUE(same_bits(el::atan(b.x), b.atan)) << std::hexfloat << "atan " << b.x << " " << el::atan(b.x);
    }
}

// x^y, each the double nearest the exact value (to 80 digits): subnormal
// results, a negative base, exponents that take x near 1 far.
struct PowerBits {
    double x, y, pow;
};
const PowerBits power_table[] = {
    {0x1.88c4efb55e75ap-26, 0x1.423a897e9fd1ep+5, 0x0.c625650bf7447p-1022},
    {0x1.00f6196aff83ap+31, -0x1.07feba9594f59p+5, 0x0.72a06f6a70abbp-1022},
    {-0x1.8p+1, 0x1.5p+5, 0x1.7b9f95b8dc87dp+66},
    {0x1.5bf0a8b145769p+1, 0x1.62p+9, 0x1.586f6bf260c0dp+1021},
    {0x1.0000000000001p+0, 0x1p+60, 0x1.41c7a8814be19p+369},
    {0x1.4p+3, -0x1.34p+8, 0x0.730d67819e8d2p-1022},
    {0x1.921fb54442d18p+1, 0x1.8p-1, 0x1.2e0ba61625c5dp+1},
    {0x1.fffffffffffffp-1, -0x1p+62, 0x1.9476504ba85f9p+738},
};

TEST(Elementary, PowerGivesTheSameBitsOnEveryPlatform) {
    for (const PowerBits& b : power_table)
        EXPECT_TRUE(same_bits(el::pow(b.x, b.y), b.pow)) << std::hexfloat << b.x << "^" << b.y << " " << el::pow(b.x, b.y);
}

TEST(Elementary, EdgesOfTheirDomainsAreIeeeValues) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(el::log(0.0), -inf);
    EXPECT_EQ(el::log(-0.0), -inf);
    EXPECT_TRUE(std::isnan(el::log(-1e-300)) && std::isnan(el::log(-inf)));
    EXPECT_EQ(el::log(inf), inf);
    EXPECT_TRUE(same_bits(el::log(1.0), 0.0));
    for (double x : {inf, -inf}) {
        EXPECT_TRUE(std::isnan(el::sin(x)) && std::isnan(el::cos(x)) && std::isnan(el::tan(x))) << x;
        EXPECT_EQ(el::atan(x), std::copysign(0x1.921fb54442d18p+0, x));
    }
    for (double (*f)(double) : {el::log, el::sin, el::cos, el::tan, el::atan})
        EXPECT_TRUE(std::isnan(f(std::numeric_limits<double>::quiet_NaN())));
    // Odd functions keep the sign of zero.
    for (double (*f)(double) : {el::sin, el::tan, el::atan}) EXPECT_TRUE(same_bits(f(-0.0), -0.0));
    EXPECT_EQ(el::cos(-0.0), 1.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const PowerBits powers[] = {
        {nan, 0.0, 1.0},    {1.0, nan, 1.0},     {-1.0, inf, 1.0},   {-1.0, 0x1p60, 1.0}, {-1.0, 3.0, -1.0},
        {0.0, -3.0, inf},   {-0.0, -3.0, -inf},  {-0.0, 3.0, -0.0},  {-0.0, 0.5, 0.0},    {-0.0, -0.5, inf},
        {-inf, -3.0, -0.0}, {-inf, 3.0, -inf},   {-inf, 2.5, inf},   {inf, -0.5, 0.0},    {0.5, inf, 0.0},
        {0.5, -inf, inf},   {2.0, -inf, 0.0},    {-2.0, 0.5, nan},   {nan, 1.0, nan},     {2.0, 2000.0, inf},
        {-2.0, 2001.0, -inf}, {2.0, -2000.0, 0.0}, {1e300, 2.0, inf}, {3.0, 2.0, 9.0},
    };
    for (const PowerBits& b : powers)
        EXPECT_TRUE(same_bits(el::pow(b.x, b.y), b.pow)) << b.x << "^" << b.y << " " << el::pow(b.x, b.y);
}

// Against the C library's extended precision, where that is within a unit
// of its own last place for any argument (the GNU C library reduces by
// pi/2 exactly; other libraries' extended sine loses the large arguments).
#if defined(__GLIBC__)
TEST(Elementary, WithinAUnitInTheLastPlaceOfTheExtendedPrecisionValue) {
    struct Function {
        const char* name;
        double (*f)(double);
        long double (*exact)(long double);
        double bound;  // units in the last place
        int low, high;  // binary exponents of the arguments
        bool negative;  // negative arguments too
    };
    const Function functions[] = {
        {"log", el::log, [](long double x) { return std::log(x); }, 1.0, -1074, 1023, false},
        {"sin", el::sin, [](long double x) { return std::sin(x); }, 1.0, -30, 1023, true},
        {"cos", el::cos, [](long double x) { return std::cos(x); }, 1.0, -30, 1023, true},
        {"tan", el::tan, [](long double x) { return std::tan(x); }, 1.5, -30, 1023, true},
        {"atan", el::atan, [](long double x) { return std::atan(x); }, 1.0, -30, 70, true},
    };
    std::mt19937_64 random(27);
    for (const Function& fn : functions) {
        std::uniform_real_distribution<double> significand(1.0, 2.0);
        std::uniform_int_distribution<int> exponent(fn.low, fn.high);
        double worst = 0, at = 0;
        for (int i = 0; i < 200000; ++i) {
            // Half of them where the kernels work unreduced, near 1.
            const int e = i % 2 == 0 ? exponent(random) : std::uniform_int_distribution<int>(-2, 2)(random);
            double x = std::ldexp(significand(random), e);
            if (fn.negative && (random() & 1)) x = -x;
            const long double exact = fn.exact(x);
            int scale;
            std::frexp(static_cast<double>(exact), &scale);
            const long double unit = std::ldexp(1.0L, std::max(scale, -1021) - 53);
            const double error = static_cast<double>(std::fabs(fn.f(x) - exact) / unit);
            if (error > worst) worst = error, at = x;
        }
        EXPECT_LE(worst, fn.bound) << fn.name << std::hexfloat << " at " << at;
    }
}

// Rounded correctly: within half a unit of the extended power, whose own
// error is a thousandth of a unit of a double.
TEST(Elementary, PowerIsTheNearestDoubleToTheExtendedPrecisionValue) {
    std::mt19937_64 random(36);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    double worst = 0, at_x = 0, at_y = 0;
    for (int i = 0; i < 300000; ++i) {
        // Results over the whole range, subnormals among them.
        const double x = std::exp2(uniform(random) * (i % 3 == 0 ? 1000.0 : 8.0));
        const double y = uniform(random) * (i % 3 == 0 ? 1.1 : 120.0);
        const long double exact = std::pow(static_cast<long double>(x), static_cast<long double>(y));
        if (!std::isfinite(static_cast<double>(exact))) continue;
        int scale;
        std::frexp(static_cast<double>(exact), &scale);
        const long double unit = std::ldexp(1.0L, std::max(scale, -1021) - 53);
        const double error = static_cast<double>(std::fabs(el::pow(x, y) - exact) / unit);
        if (error > worst) worst = error, at_x = x, at_y = y;
    }
    EXPECT_LE(worst, 0.501) << std::hexfloat << at_x << "^" << at_y;
}
#endif

}  // namespace
