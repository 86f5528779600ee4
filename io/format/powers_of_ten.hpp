#pragma once
// Powers of ten: to 128 bits for the decimal conversion, and the 64-bit ones
// for the rounding to the digits shown.
#include <array>
#include <bit>
#include <cstdint>

#include "io/format/wide.hpp"

namespace io {

// Powers of ten to 128 bits: (high 2^64 + low) 2^exponent, with the top bit
// of high set, is at most 10^q and short of it by less than 2^-126 of it.
// They are built by repeated multiplication and division by ten in 256 bits,
// each step cutting off less than 2^-250 of the value, then cut to 128 bits.
struct PowerOfTen {
    std::uint64_t high;
    std::uint64_t low;
    int exponent;
};

constexpr int min_power = -300;
constexpr int max_power = 350;

inline constexpr std::array<PowerOfTen, max_power - min_power + 1> powers_of_ten = [] {
    using namespace wide;
    std::array<PowerOfTen, max_power - min_power + 1> table{};
    std::uint64_t w[4] = {std::uint64_t{1} << 63, 0, 0, 0};  // 1 = w x 2^-255
    int exponent = -255;
    for (int q = 0; q <= max_power; ++q) {
        table[static_cast<std::size_t>(q - min_power)] = {w[0], w[1], exponent + 128};
        std::uint64_t carry = 0;
        for (int i = 3; i >= 0; --i) {
            const Wide t = add(multiply(w[i], 10), carry);
            w[i] = t.low;
            carry = t.high;
        }
        const int s = std::bit_width(carry);  // 3 or 4
        for (int i = 3; i > 0; --i) w[i] = (w[i - 1] << (64 - s)) | (w[i] >> s);
        w[0] = (carry << (64 - s)) | (w[0] >> s);
        exponent += s;
    }
    w[0] = std::uint64_t{1} << 63;
    w[1] = w[2] = w[3] = 0;
    exponent = -255;
    for (int q = -1; q >= min_power; --q) {
        std::uint64_t remainder = 0;
        for (int i = 0; i < 4; ++i) {
            const TenthAndRest step = divide_by_ten(remainder, w[i]);
            w[i] = step.quotient;
            remainder = step.remainder;
        }
        const int s = std::countl_zero(w[0]);  // 3 or 4
        for (int i = 0; i < 3; ++i) w[i] = (w[i] << s) | (w[i + 1] >> (64 - s));
        w[3] <<= s;
        exponent -= s;
        table[static_cast<std::size_t>(q - min_power)] = {w[0], w[1], exponent + 128};
    }
    return table;
}();

// The powers of ten that fit 64 bits, 10^0 to 10^17 used.
inline constexpr std::uint64_t powers_of_ten_64[] = {
    1u,
    10u,
    100u,
    1000u,
    10000u,
    100000u,
    1000000u,
    10000000u,
    100000000u,
    1000000000u,
    10000000000u,
    100000000000u,
    1000000000000u,
    10000000000000u,
    100000000000000u,
    1000000000000000u,
    10000000000000000u,
    100000000000000000u,
};

}  // namespace io
