// raizes-plot's reader on a report of one million bisection rows held in
// memory, fed to it in the pieces it reads a file in, and the picture drawn
// from what it kept. The rows are made as the program
// edits them (I5 then two 1P,E25.15 fields, whose exponents keep two digits
// here), row numbers from 100000 on as asterisks.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <variant>

#include "run_reading.hpp"
#include "svg_plot.hpp"

namespace {

std::string million_row_report() {
    std::string r =
        "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o\r\n\r\nIntervalo\tinicial:\r\n"
        "a =     1.600000000000000E+01\r\nb =     2.000000000000000E+01\r\n"
        "toler\xE2ncia admitida:     0.000000000000000E+00\r\nn\xFAmero m\xE1ximo de itera\xE7\xF5" "es:*****\r\n\r\n\r\n"
        "Itera\xE7\xE3o   Solu\xE7\xE3o aproximada          Varia\xE7\xE3o\r\n";
    double a = 16, b = 20, previous = 0;
    char line[96];
    for (int i = 1; i <= 1000000; ++i) {
        const double p = (b + a) * 0.5;
        char number[8];
        if (i < 100000) std::snprintf(number, sizeof number, "%5d", i);
        else std::snprintf(number, sizeof number, "*****");
        if (i == 1) std::snprintf(line, sizeof line, "%s%25.15E\r\n", number, p);
        else std::snprintf(line, sizeof line, "%s%25.15E%25.15E\r\n", number, p, p > previous ? p - previous : previous - p);
        r += line;
        previous = p;
        a = p;  // f keeps its sign on [16, 20]: the left end moves
    }
    return r + "\r\n\r\nO m\xE9todo falhou ap\xF3s ***** itera\xE7\xF5" "es\r\n";
}

const std::string& report_bytes() {
    static const std::string bytes = million_row_report();
    return bytes;
}

std::variant<plot::RunSummary, plot::ParseError> read_report(std::string_view bytes) {
    constexpr std::size_t piece = 64 * 1024;
    plot::ReportStream stream;
    for (std::size_t at = 0; at < bytes.size(); at += piece) plot::feed(stream, bytes.substr(at, piece));
    return plot::finish(stream);
}

void read_million_rows(benchmark::State& state) {
    const std::string& bytes = report_bytes();
    for (auto _ : state) {
        auto result = read_report(bytes);
        if (!std::holds_alternative<plot::RunSummary>(result)) state.SkipWithError("not read as a report");
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(read_million_rows)->Unit(benchmark::kMillisecond);

void draw_million_rows(benchmark::State& state) {
    auto result = read_report(report_bytes());
    if (!std::holds_alternative<plot::RunSummary>(result)) {
        state.SkipWithError("not read as a report");
        return;
    }
    const plot::Run runs[] = {{std::get<plot::RunSummary>(std::move(result)), "bench.bis.txt"}};
    for (auto _ : state) benchmark::DoNotOptimize(plot::render_svg(runs));
}
BENCHMARK(draw_million_rows)->Unit(benchmark::kMillisecond);

}  // namespace
