#pragma once
// 128-bit unsigned arithmetic on two 64-bit halves, the same on 32-bit and
// 64-bit targets.
#include <cstdint>

namespace io::wide {

struct Wide {
    std::uint64_t high;
    std::uint64_t low;
};

constexpr std::uint64_t low_32 = 0xFFFF'FFFFu;

// The full product of two 64-bit numbers. A compiler with a 128-bit type
// takes it in one multiplication; the halves give the same bits.
constexpr Wide multiply(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
    __extension__ typedef unsigned __int128 product;
    const product p = static_cast<product>(a) * b;
    return {static_cast<std::uint64_t>(p >> 64), static_cast<std::uint64_t>(p)};
#else
    const std::uint64_t lo_lo = (a & low_32) * (b & low_32);
    const std::uint64_t hi_lo = (a >> 32) * (b & low_32);
    const std::uint64_t lo_hi = (a & low_32) * (b >> 32);
    const std::uint64_t hi_hi = (a >> 32) * (b >> 32);
    const std::uint64_t cross = (lo_lo >> 32) + (hi_lo & low_32) + lo_hi;  // cannot wrap
    return {hi_hi + (hi_lo >> 32) + (cross >> 32), (cross << 32) | (lo_lo & low_32)};
#endif
}

constexpr Wide add(Wide a, std::uint64_t b) {
    const std::uint64_t low = a.low + b;
    return {a.high + (low < b ? 1 : 0), low};
}

// Shifts by 0 to 127 places.
constexpr Wide shift_right(Wide v, int s) {
    if (s == 0) return v;
    if (s >= 64) return {0, v.high >> (s - 64)};
    return {v.high >> s, (v.low >> s) | (v.high << (64 - s))};
}

constexpr Wide shift_left(Wide v, int s) {
    if (s == 0) return v;
    if (s >= 64) return {v.low << (s - 64), 0};
    return {(v.high << s) | (v.low >> (64 - s)), v.low << s};
}

// (remainder x 2^64 + w) / 10 for a remainder below 10, in 32-bit steps.
struct TenthAndRest {
    std::uint64_t quotient;
    std::uint64_t remainder;
};

constexpr TenthAndRest divide_by_ten(std::uint64_t remainder, std::uint64_t w) {
    const std::uint64_t upper = (remainder << 32) | (w >> 32);
    const std::uint64_t lower = ((upper % 10) << 32) | (w & low_32);
    return {((upper / 10) << 32) | (lower / 10), lower % 10};
}

}  // namespace io::wide
