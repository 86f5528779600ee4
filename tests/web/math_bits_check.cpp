// Compares the results of the mathematical functions that the web program
// recorded (tests/web/math_log.cpp) with this program's own, bit for bit:
// the C library's exponential, the run-time's own power, logarithm,
// square root, sine, cosine, tangent and arc tangent, as this platform
// builds them. On Linux that is the Linux program's arithmetic; built for
// Windows it is the Windows programs'.
//   math_bits_check LOG
// Prints, per function, the number of calls, of distinct arguments and of
// differing results; exits with status 1 when a result of the run-time's
// own functions differs, or nothing was recorded, and, unless --library-may-
// differ is given, when an exponential differs.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <tuple>
#include <vector>

#include "runtime/elementary.hpp"

namespace {

struct Function {
    const char* name;
    bool library;  // the C library's, not the run-time's own
};
const Function functions[] = {{"?", false},  {"exp", true},  {"pow", false}, {"log", false}, {"sqrt", false},
                              {"sin", false}, {"cos", false}, {"tan", false}, {"atan", false}};

double here(int kind, double x, double y) {
    switch (kind) {
        case 1: return std::exp(x);
        case 2: return rt::elementary::pow(x, y);
        case 3: return rt::elementary::log(x);
        case 4: return std::sqrt(x);
        case 5: return rt::elementary::sin(x);
        case 6: return rt::elementary::cos(x);
        case 7: return rt::elementary::tan(x);
        case 8: return rt::elementary::atan(x);
        default: return std::nan("");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool library_may_differ = argc == 3 && std::strcmp(argv[1], "--library-may-differ") == 0;
    if (argc != 2 && !library_may_differ) {
        std::fprintf(stderr, "usage: math_bits_check [--library-may-differ] LOG\n");
        return 2;
    }
    std::ifstream in(argv[argc - 1], std::ios::binary);
    std::vector<double> call(4);
    constexpr int kinds = sizeof functions / sizeof functions[0];
    long calls[kinds] = {}, differing[kinds] = {};
    std::set<std::tuple<std::uint64_t, std::uint64_t>> distinct[kinds];
    while (in.read(reinterpret_cast<char*>(call.data()), 4 * sizeof(double))) {
        const int kind = call[0] >= 1 && call[0] < kinds ? static_cast<int>(call[0]) : 0;
        const double x = call[1], y = call[2], web = call[3];
        const double mine = here(kind, x, y);
        ++calls[kind];
        distinct[kind].insert({std::bit_cast<std::uint64_t>(x), std::bit_cast<std::uint64_t>(y)});
        if (std::bit_cast<std::uint64_t>(mine) != std::bit_cast<std::uint64_t>(web)) {
            if (++differing[kind] <= 10)
                std::printf("differs: %s(%a, %a): web %a, here %a\n", functions[kind].name, x, y, web, mine);
        }
    }
    bool failed = calls[0] > 0;
    long total = 0;
    for (int kind = 1; kind < kinds; ++kind) {
        std::printf("%-4s %9ld calls, %8zu distinct, %ld with a different result\n", functions[kind].name,
                    calls[kind], distinct[kind].size(), differing[kind]);
        total += calls[kind];
        if (differing[kind] > 0 && !(functions[kind].library && library_may_differ)) failed = true;
    }
    return total > 0 && !failed ? 0 : 1;
}
