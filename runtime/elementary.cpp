#include "runtime/elementary.hpp"

#include <bit>
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <limits>

// Every table below is printed by tools/elementary-constants: the series'
// coefficients from exact fractions, pi, 2/pi, ln 2 and the arc tangents
// from their values to a hundred digits, each rounded once to the nearest
// double.

namespace rt::elementary {

namespace {

constexpr std::uint64_t sign_bit = std::uint64_t{1} << 63;
constexpr std::uint64_t fraction_bits = (std::uint64_t{1} << 52) - 1;
constexpr int exponent_bias = 1023;
constexpr int all_ones_exponent = 0x7FF;

constexpr double quiet_nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

std::uint64_t bits_of(double x) { return std::bit_cast<std::uint64_t>(x); }
double of_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }
int biased_exponent(std::uint64_t bits) { return static_cast<int>((bits >> 52) & all_ones_exponent); }
bool is_nan(std::uint64_t bits) { return biased_exponent(bits) == all_ones_exponent && (bits & fraction_bits) != 0; }

// 2^k, for a k of the normal range: exact.
double power_of_two(int k) { return of_bits(static_cast<std::uint64_t>(k + exponent_bias) << 52); }

// c[0] + z (c[1] + z (c[2] + ...)), from the innermost term out.
template <std::size_t N>
double horner(double z, const double (&c)[N]) {
    double r = c[N - 1];
    for (std::size_t i = N - 1; i > 0; --i) r = c[i - 1] + z * r;
    return r;
}

// ---- Logarithm -----------------------------------------------------------

// 2/(2n+1), n = 1..11: with s = (m-1)/(m+1), log m = 2s + s R, where
// R = 2/3 s^2 + 2/5 s^4 + ...
constexpr double log_series[] = {
    0x1.5555555555555p-1, 0x1.999999999999ap-2, 0x1.2492492492492p-2, 0x1.c71c71c71c71cp-3,
    0x1.745d1745d1746p-3, 0x1.3b13b13b13b14p-3, 0x1.1111111111111p-3, 0x1.e1e1e1e1e1e1ep-4,
    0x1.af286bca1af28p-4, 0x1.8618618618618p-4, 0x1.642c8590b2164p-4,
};
// ln 2 in two parts, the first with 42 significant bits: k times it is exact
// for every binary exponent k of a double.
constexpr double ln2_hi = 0x1.62e42fefa3800p-1;
constexpr double ln2_lo = 0x1.ef35793c76730p-45;
constexpr double sqrt2 = 0x1.6a09e667f3bcdp+0;

// ---- Reduction by pi/2 ----------------------------------------------------

// The bits of 2/pi after the binary point, 32 to an element: enough for a
// window of 192 bits at the place the largest double needs.
constexpr std::uint32_t two_over_pi[] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041,
    0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C,
    0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484, 0xE99C7026, 0xB45F7E41,
    0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D,
    0x7527BAC7, 0xEBE5F17B, 0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08,
    0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D,
};
constexpr int window_limbs = 6;  // 192 bits of 2/pi

// pi/2 in two parts, and the double just below pi/4.
constexpr double pio2_hi = 0x1.921fb54442d18p+0;
constexpr double pio2_lo = 0x1.1a62633145c07p-54;
constexpr double pio4 = 0x1.921fb54442d18p-1;

// x = n pi/2 + hi + lo (mod 2 pi), with |hi + lo| at most about pi/4 and lo
// below half a unit in the last place of hi.
struct Reduced {
    unsigned n;
    double hi;
    double lo;
};

// a = high + low, each half of a's significand (Veltkamp).
struct Pair {
    double high;
    double low;
};
Pair split(double a) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    const double high = c - (c - a);
    return {high, a - high};
}

// a b = high + low exactly (Dekker), for a b far from the ends of the range.
Pair two_product(double a, double b) {
    const double p = a * b;
    const Pair x = split(a), y = split(b);
    return {p, ((x.high * y.high - p) + x.high * y.low + x.low * y.high) + x.low * y.low};
}

// The product of a 53-bit significand and a window of 2/pi, 256 bits, least
// significant limb first.
struct Product {
    std::uint32_t limb[8] = {};

    std::uint64_t at(int i) const { return i < 8 ? limb[i] : 0; }

    // The 64 bits from bit `position` (0 the least significant) up.
    std::uint64_t bits_from(int position) const {
        const int i = position / 32, shift = position % 32;
        const std::uint64_t low = at(i) | (at(i + 1) << 32);
        return shift == 0 ? low : (low >> shift) | (at(i + 2) << (64 - shift));
    }
};

// |x| > pi/4 and finite. |x| = m 2^e with an integer m of 53 bits; bits of
// 2/pi whose weight in x 2/pi is 4 or more only add whole turns, so the
// window starts where the weight drops below 4.
Reduced reduce(double x) {
    const std::uint64_t b = bits_of(x);
    const std::uint64_t m = (b & fraction_bits) | (std::uint64_t{1} << 52);
    const int e = biased_exponent(b) - exponent_bias - 52;
    const int first = e - 1 > 1 ? e - 1 : 1;  // the window's first bit of 2/pi, counted from 1

    std::uint32_t window[window_limbs];  // most significant first
    for (int j = 0; j < window_limbs; ++j) {
        const int at = first - 1 + 32 * j;
        const int word = at / 32, shift = at % 32;
        std::uint32_t limb = two_over_pi[word] << shift;
        if (shift != 0) limb |= two_over_pi[word + 1] >> (32 - shift);
        window[j] = limb;
    }
    Product p;
    const std::uint64_t mantissa[2] = {m & 0xFFFFFFFFu, m >> 32};
    for (int i = 0; i < window_limbs; ++i) {
        const std::uint64_t w = window[window_limbs - 1 - i];
        std::uint64_t carry = 0;
        for (int j = 0; j < 2; ++j) {
            const std::uint64_t t = p.limb[i + j] + w * mantissa[j] + carry;
            p.limb[i + j] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        p.limb[i + 2] = static_cast<std::uint32_t>(carry);
    }

    // x 2/pi = p / 2^point: the quadrant is the two bits above the point,
    // the fraction the 128 bits below it.
    const int point = 32 * window_limbs - 1 + first - e;
    unsigned n = static_cast<unsigned>(p.bits_from(point)) & 3u;
    std::uint64_t high = p.bits_from(point - 64);
    std::uint64_t low = p.bits_from(point - 128);
    const bool above_half = (high >> 63) != 0;
    if (above_half) {  // the nearer quadrant is the next: the fraction becomes 1 - fraction, negative
        n = (n + 1) & 3u;
        low = ~low + 1;
        high = ~high + (low == 0 ? 1 : 0);
    }
    if (high == 0 && low == 0) return {n, 0.0, 0.0};
    const int zeros = high != 0 ? std::countl_zero(high) : 64 + std::countl_zero(low);
    if (zeros >= 64) {
        high = low << (zeros - 64);
        low = 0;
    } else if (zeros > 0) {
        high = (high << zeros) | (low >> (64 - zeros));
        low <<= zeros;
    }
    // The fraction is (high:low) 2^(-128 - zeros): two doubles of 53 bits.
    const double f_high = static_cast<double>(high >> 11) * power_of_two(-53 - zeros);
    const double f_low =
        static_cast<double>(((high & 0x7FF) << 42) | (low >> 22)) * power_of_two(-106 - zeros);
    const Pair r = two_product(f_high, pio2_hi);
    const double rest = r.low + (f_high * pio2_lo + f_low * pio2_hi);
    double hi = r.high + rest;
    double lo = rest - (hi - r.high);
    if (above_half) {
        hi = -hi;
        lo = -lo;
    }
    if ((b & sign_bit) != 0) return {(4 - n) & 3u, -hi, -lo};
    return {n, hi, lo};
}

// ---- Sine and cosine on [-pi/4, pi/4] --------------------------------------

// -1/3!, then (-1)^n/(2n+1)!, n = 2..10.
constexpr double sin_first = -0x1.5555555555555p-3;
constexpr double sin_series[] = {
    0x1.1111111111111p-7,  -0x1.a01a01a01a01ap-13, 0x1.71de3a556c734p-19, -0x1.ae64567f544e4p-26,
    0x1.6124613a86d09p-33, -0x1.ae7f3e733b81fp-41, 0x1.952c77030ad4ap-49, -0x1.2f49b46814157p-57,
    0x1.71b8ef6dcf572p-66,
};
// (-1)^n/(2n)!, n = 2..10.
constexpr double cos_series[] = {
    0x1.5555555555555p-5,  -0x1.6c16c16c16c17p-10, 0x1.a01a01a01a01ap-16, -0x1.27e4fb7789f5cp-22,
    0x1.1eed8eff8d898p-29, -0x1.93974a8c07c9dp-37, 0x1.ae7f3e733b81fp-45, -0x1.6827863b97d97p-53,
    0x1.e542ba4020225p-62,
};

// sin(x + y) = sin x + y cos x, nearly, as x and a tail: their sum, and
// the rounding error of that sum. The terms are added smallest first.
Pair sin_parts(double x, double y) {
    const double z = x * x;
    const double v = z * x;
    const double r = horner(z, sin_series);
    const double tail = y == 0.0 ? v * (sin_first + z * r) : -((z * (0.5 * y - v * r) - y) - v * sin_first);
    const double sum = x + tail;
    return {sum, tail - (sum - x)};
}

// cos(x + y) = 1 - x^2/2 + x^4 C(x^2) - x y, nearly; 1 - x^2/2 is formed
// with its rounding error kept. The sum and its rounding error.
Pair cos_parts(double x, double y) {
    const double z = x * x;
    const double r = z * horner(z, cos_series);
    const double hz = 0.5 * z;
    const double w = 1.0 - hz;
    const double tail = ((1.0 - w) - hz) + (z * r - x * y);
    const double sum = w + tail;
    return {sum, tail - (sum - w)};
}

double sin_kernel(double x, double y) { return sin_parts(x, y).high; }
double cos_kernel(double x, double y) { return cos_parts(x, y).high; }

// a / b from both in two parts: the quotient of the leading parts, corrected
// by the rest of a - q b, so that it is rounded about once.
double quotient(Pair a, Pair b) {
    const double q = a.high / b.high;
    const Pair qb = two_product(q, b.high);
    return q + (((a.high - qb.high) - qb.low) + (a.low - q * b.low)) / b.high;
}

constexpr std::uint64_t tiny = 0x3E40000000000000;  // the bits of 2^-27: below it sin x = tan x = x and cos x = 1

// ---- Arc tangent ------------------------------------------------------------

// atan of 1/2, 1, 3/2 and infinity in two parts.
constexpr double atan_hi[] = {0x1.dac670561bb4fp-2, 0x1.921fb54442d18p-1, 0x1.f730bd281f69bp-1,
                              0x1.921fb54442d18p+0};
constexpr double atan_lo[] = {0x1.a2b7f222f65e2p-56, 0x1.1a62633145c07p-55, 0x1.007887af0cbbdp-56,
                              0x1.1a62633145c07p-54};
// (-1)^(n+1)/(2n+1), n = 1..24: atan t = t - t Q, Q = t^2/3 - t^4/5 + ...
constexpr double atan_series[] = {
    0x1.5555555555555p-2,  -0x1.999999999999ap-3, 0x1.2492492492492p-3,  -0x1.c71c71c71c71cp-4,
    0x1.745d1745d1746p-4,  -0x1.3b13b13b13b14p-4, 0x1.1111111111111p-4,  -0x1.e1e1e1e1e1e1ep-5,
    0x1.af286bca1af28p-5,  -0x1.8618618618618p-5, 0x1.642c8590b2164p-5,  -0x1.47ae147ae147bp-5,
    0x1.2f684bda12f68p-5,  -0x1.1a7b9611a7b96p-5, 0x1.0842108421084p-5,  -0x1.f07c1f07c1f08p-6,
    0x1.d41d41d41d41dp-6,  -0x1.bacf914c1bad0p-6, 0x1.a41a41a41a41ap-6,  -0x1.8f9c18f9c18fap-6,
    0x1.7d05f417d05f4p-6,  -0x1.6c16c16c16c17p-6, 0x1.5c9882b931057p-6,  -0x1.4e5e0a72f0539p-6,
};
constexpr std::uint64_t atan_large = 0x4410000000000000;  // the bits of 2^66: above it atan x = pi/2

// ---- Power -----------------------------------------------------------------

// A number as the unevaluated sum hi + lo, lo below half a unit in the last
// place of hi: about 106 significant bits.
struct Wide {
    double hi;
    double lo;
};

// |a| >= |b| or a = 0.
constexpr Wide quick_sum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

constexpr Wide exact_sum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

constexpr Wide exact_product(double a, double b) {
    const double p = a * b;
    const double ca = 134217729.0 * a, cb = 134217729.0 * b;
    const double ah = ca - (ca - a), bh = cb - (cb - b);
    const double al = a - ah, bl = b - bh;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

constexpr Wide add(Wide a, Wide b) {
    const Wide s = exact_sum(a.hi, b.hi);
    const Wide t = exact_sum(a.lo, b.lo);
    const Wide u = quick_sum(s.hi, s.lo + t.hi);
    return quick_sum(u.hi, u.lo + t.lo);
}

constexpr Wide mul(Wide a, Wide b) {
    const Wide p = exact_product(a.hi, b.hi);
    return quick_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

constexpr Wide negated(Wide a) { return {-a.hi, -a.lo}; }

// a / b, corrected twice by the remainder.
constexpr Wide wide_quotient(Wide a, Wide b) {
    const double q1 = a.hi / b.hi;
    Wide r = add(a, negated(mul({q1, 0.0}, b)));
    const double q2 = r.hi / b.hi;
    r = add(r, negated(mul({q2, 0.0}, b)));
    return add(quick_sum(q1, q2), {r.hi / b.hi, 0.0});
}

// Series whose coefficients are exact fractions, rounded from the fractions
// in wide arithmetic when the program is compiled.
template <std::size_t N>
struct WideSeries {
    Wide c[N];
};

// 2/(2n+1), n = 0..21: log m = s (2 + 2/3 s^2 + 2/5 s^4 + ...), s = (m-1)/(m+1),
// whose terms fall below 2^-110 of the first for |s| < 0.172.
constexpr WideSeries<22> wide_log_series = [] {
    WideSeries<22> series{};
    for (int n = 0; n < 22; ++n) series.c[n] = wide_quotient(Wide{2.0, 0.0}, Wide{2.0 * n + 1.0, 0.0});
    return series;
}();

// 1/n!, n = 1..11: expm1 r = r (1 + r/2! + r^2/3! + ...) for |r| < 2^-9.
constexpr WideSeries<11> wide_exp_series = [] {
    WideSeries<11> series{};
    Wide term{1.0, 0.0};
    for (int n = 1; n <= 11; ++n) {
        term = wide_quotient(term, Wide{static_cast<double>(n), 0.0});
        series.c[n - 1] = term;
    }
    return series;
}();

constexpr Wide wide_ln2{0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};
constexpr double inverse_ln2 = 0x1.71547652b82fep+0;

template <std::size_t N>
Wide wide_horner(Wide z, const WideSeries<N>& s) {
    Wide r = s.c[N - 1];
    for (std::size_t i = N - 1; i > 0; --i) r = add(s.c[i - 1], mul(z, r));
    return r;
}

// log x for a positive finite x, within about 2^-100 of its value.
Wide wide_log(double x) {
    int k = 0;
    std::uint64_t b = bits_of(x);
    if (biased_exponent(b) == 0) {
        x = x * 0x1p54;
        b = bits_of(x);
        k = -54;
    }
    k += biased_exponent(b) - exponent_bias;
    double m = of_bits((b & fraction_bits) | (static_cast<std::uint64_t>(exponent_bias) << 52));
    if (m > sqrt2) {
        m = m * 0.5;
        k += 1;
    }
    const double f = m - 1.0;  // exact
    const Wide s = wide_quotient({f, 0.0}, exact_sum(2.0, f));
    const Wide log_m = mul(s, wide_horner(mul(s, s), wide_log_series));
    return add(mul({static_cast<double>(k), 0.0}, wide_ln2), log_m);
}

// w 2^k below the least normal double, rounded once to the subnormals'
// spacing 2^-1074: scaled by 2^200, it is rounded to the spacing 2^-874 by
// adding and taking away 2^-822, whose last place is worth that, and the
// rest of w decides a value that lay near half way.
double subnormal(Wide w, int k) {
    constexpr double grid = 0x1p-874, shift = 0x1p-822;
    const double scale = power_of_two(k + 200);
    const double h = w.hi * scale, l = w.lo * scale;
    double r = (h + shift) - shift;
    const double rest = (h - r) + l;
    if (rest > 0.5 * grid) r += grid;
    if (rest < -0.5 * grid) r -= grid;
    return r * 0x1p-200;
}

// exp t for |t| below 746, rounded to a double once.
double wide_exp(Wide t) {
    const double kf = std::nearbyint(t.hi * inverse_ln2);
    const int k = static_cast<int>(kf);
    const Wide r = add(t, negated(mul({kf, 0.0}, wide_ln2)));  // |r| <= 0.35
    const Wide a{r.hi * 0x1p-8, r.lo * 0x1p-8};
    // expm1 a, then expm1 2a = expm1 a (2 + expm1 a), eight times.
    Wide e = mul(a, wide_horner(a, wide_exp_series));
    for (int i = 0; i < 8; ++i) e = mul(e, add({2.0, 0.0}, e));
    const Wide w = add({1.0, 0.0}, e);
    if (k < -1022 || (k == -1022 && w.hi < 1.0)) return subnormal(w, k);
    if (k > 1023) return w.hi * 0x1p1023 * power_of_two(k - 1023);
    return w.hi * power_of_two(k);
}

bool is_integer(double y) { return std::trunc(y) == y; }
bool is_odd_integer(double y) { return std::fabs(y) < 0x1p53 && is_integer(y) && !is_integer(y * 0.5); }

}  // namespace

double pow(double x, double y) {
    if (y == 0.0 || x == 1.0) return 1.0;
    if (is_nan(bits_of(x)) || is_nan(bits_of(y))) return x + y;
    if (y == 2.0) return x * x;
    const double ax = std::fabs(x);
    if (std::isinf(y)) {
        if (ax == 1.0) return 1.0;
        return (ax < 1.0) == (y > 0.0) ? 0.0 : infinity;
    }
    const bool odd = is_odd_integer(y);
    if (ax == 0.0 || std::isinf(x)) {
        // 0^y and infinity^y: a zero or an infinity, with x's sign for an odd y.
        const double magnitude = (ax == 0.0) == (y < 0.0) ? infinity : 0.0;
        return odd ? std::copysign(magnitude, x) : magnitude;
    }
    if (x < 0.0 && !is_integer(y)) return quiet_nan;
    if (ax == 1.0) return odd ? x : 1.0;
    const double sign = x < 0.0 && odd ? -1.0 : 1.0;
    const Wide l = wide_log(ax);
    const double estimate = y * l.hi;
    if (estimate > 710.0) return sign * infinity;
    if (estimate < -746.0) return sign * 0.0;
    return sign * wide_exp(mul({y, 0.0}, l));
}

double log(double x) {
    std::uint64_t b = bits_of(x);
    if (is_nan(b)) return x;
    if ((b & ~sign_bit) == 0) return -infinity;
    if ((b & sign_bit) != 0) return quiet_nan;
    int exponent = biased_exponent(b);
    if (exponent == all_ones_exponent) return x;
    int k = 0;
    if (exponent == 0) {  // below the normal range: scaled into it, exactly
        x = x * 0x1p54;
        b = bits_of(x);
        exponent = biased_exponent(b);
        k = -54;
    }
    // x = 2^k m, m in (sqrt(2)/2, sqrt(2)]; then f = m - 1 is exact.
    k += exponent - exponent_bias;
    double m = of_bits((b & fraction_bits) | (static_cast<std::uint64_t>(exponent_bias) << 52));
    if (m > sqrt2) {
        m = m * 0.5;
        k += 1;
    }
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    const double r = z * horner(z, log_series);
    const double hfsq = 0.5 * f * f;
    if (k == 0) return f - (hfsq - s * (hfsq + r));
    const double dk = k;
    return dk * ln2_hi - ((hfsq - (s * (hfsq + r) + dk * ln2_lo)) - f);
}

double sin(double x) {
    const std::uint64_t b = bits_of(x);
    const std::uint64_t magnitude = b & ~sign_bit;
    if (biased_exponent(b) == all_ones_exponent) return is_nan(b) ? x : quiet_nan;
    if (magnitude <= bits_of(pio4)) return magnitude < tiny ? x : sin_kernel(x, 0.0);
    const Reduced r = reduce(x);
    switch (r.n) {
        case 0: return sin_kernel(r.hi, r.lo);
        case 1: return cos_kernel(r.hi, r.lo);
        case 2: return -sin_kernel(r.hi, r.lo);
        default: return -cos_kernel(r.hi, r.lo);
    }
}

double cos(double x) {
    const std::uint64_t b = bits_of(x);
    const std::uint64_t magnitude = b & ~sign_bit;
    if (biased_exponent(b) == all_ones_exponent) return is_nan(b) ? x : quiet_nan;
    if (magnitude <= bits_of(pio4)) return magnitude < tiny ? 1.0 : cos_kernel(x, 0.0);
    const Reduced r = reduce(x);
    switch (r.n) {
        case 0: return cos_kernel(r.hi, r.lo);
        case 1: return -sin_kernel(r.hi, r.lo);
        case 2: return -cos_kernel(r.hi, r.lo);
        default: return sin_kernel(r.hi, r.lo);
    }
}

double tan(double x) {
    const std::uint64_t b = bits_of(x);
    const std::uint64_t magnitude = b & ~sign_bit;
    if (biased_exponent(b) == all_ones_exponent) return is_nan(b) ? x : quiet_nan;
    if (magnitude < tiny) return x;
    const Reduced r = magnitude <= bits_of(pio4) ? Reduced{0, x, 0.0} : reduce(x);
    const Pair s = sin_parts(r.hi, r.lo);
    const Pair c = cos_parts(r.hi, r.lo);
    return (r.n & 1u) == 0 ? quotient(s, c) : -quotient(c, s);
}

double atan(double x) {
    const std::uint64_t b = bits_of(x);
    const std::uint64_t magnitude = b & ~sign_bit;
    if (is_nan(b)) return x;
    const bool negative = (b & sign_bit) != 0;
    if (magnitude < tiny) return x;
    double result;
    if (magnitude >= atan_large) {
        result = atan_hi[3] + atan_lo[3];
    } else {
        // atan a = atan c + atan t, t = (a - c) / (1 + a c), for the c
        // nearest a among 1/2, 1, 3/2 and infinity (t = -1/a), or t = a.
        const double a = of_bits(magnitude);
        int c;
        double t;
        if (a < 0.4375) {
            c = -1;
            t = a;
        } else if (a < 0.6875) {
            c = 0;
            t = (2.0 * a - 1.0) / (2.0 + a);
        } else if (a < 1.1875) {
            c = 1;
            t = (a - 1.0) / (a + 1.0);
        } else if (a < 2.4375) {
            c = 2;
            t = (a - 1.5) / (1.0 + 1.5 * a);
        } else {
            c = 3;
            t = -1.0 / a;
        }
        const double z = t * t;
        const double q = z * horner(z, atan_series);
        result = c < 0 ? t - t * q : atan_hi[c] - ((t * q - atan_lo[c]) - t);
    }
    return negative ? -result : result;
}

}  // namespace rt::elementary
