// Compares the exponential and power results that the web program recorded
// (tests/web/math_log.cpp) with this machine's C library, the Linux
// program's, bit for bit:
//   math_bits_check LOG
// Prints the number of calls, of distinct arguments and of differing
// results; exits with status 1 when a result differs or nothing was
// recorded.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <tuple>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: math_bits_check LOG\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<double> call(4);
    long calls = 0, differing = 0;
    std::set<std::tuple<std::uint64_t, std::uint64_t, std::uint64_t>> distinct;
    while (in.read(reinterpret_cast<char*>(call.data()), 4 * sizeof(double))) {
        const double kind = call[0], x = call[1], y = call[2], web = call[3];
        const double linux = kind == 1 ? std::exp(x) : std::pow(x, y);
        ++calls;
        distinct.insert({std::bit_cast<std::uint64_t>(kind), std::bit_cast<std::uint64_t>(x),
                         std::bit_cast<std::uint64_t>(y)});
        if (std::bit_cast<std::uint64_t>(linux) != std::bit_cast<std::uint64_t>(web)) {
            if (++differing <= 20)
                std::printf("differs: %s(%a, %a): web %a, Linux %a\n", kind == 1 ? "exp" : "pow", x, y, web, linux);
        }
    }
    std::printf("%ld calls of exp and pow, %zu distinct, %ld with a different result\n", calls, distinct.size(),
                differing);
    return calls > 0 && differing == 0 ? 0 : 1;
}
