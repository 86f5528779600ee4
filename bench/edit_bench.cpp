// One report field (1P,E25.15) against the standard library's correctly
// rounded 17-significant-digit conversion of the same values.
#include "io/format/edit.hpp"
#include "io/format/record.hpp"

#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::size_t value_count = 4096;  // a power of two

// Iterates of a run and their changes span many magnitudes; mix those with
// arbitrary bit patterns, denormals and short exact values.
std::vector<double> varied_values() {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> decade(-30.0, 30.0);
    std::vector<double> values;
    values.reserve(value_count);
    while (values.size() < value_count) {
        const std::size_t kind = values.size() % 8;
        double v;
        if (kind < 5) {
            v = std::pow(10.0, decade(rng));
        } else if (kind == 5) {
            v = std::bit_cast<double>(rng() & 0x7FEFFFFFFFFFFFFFu);
        } else if (kind == 6) {
            v = std::bit_cast<double>(rng() & 0x000FFFFFFFFFFFFFu);
        } else {
            v = static_cast<double>(rng() % 100000) / 64.0;
        }
        values.push_back((rng() & 1) != 0 ? -v : v);
    }
    return values;
}

void report_field(benchmark::State& state) {
    const std::vector<double> values = varied_values();
    io::Record record;
    std::size_t i = 0;
    for (auto _ : state) {
        io::put_report_field(record, values[i++ & (value_count - 1)], {.w = 25, .d = 15, .e = 2, .k = 1});
        benchmark::DoNotOptimize(record.text().data());
        benchmark::ClobberMemory();
        record.clear();
    }
}
BENCHMARK(report_field);

void to_chars_scientific_16(benchmark::State& state) {
    const std::vector<double> values = varied_values();
    char buf[40];
    std::size_t i = 0;
    for (auto _ : state) {
        const auto result =
            std::to_chars(buf, buf + sizeof buf, values[i++ & (value_count - 1)], std::chars_format::scientific, 16);
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(to_chars_scientific_16);

void decimal_conversion(benchmark::State& state) {
    const std::vector<double> values = varied_values();
    std::size_t i = 0;
    for (auto _ : state) {
        const io::Decimal converted = io::to_decimal(values[i++ & (value_count - 1)]);
        benchmark::DoNotOptimize(converted);
    }
}
BENCHMARK(decimal_conversion);

}  // namespace
