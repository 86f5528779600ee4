// Report rows through the record writer along the format's plan, and the
// compiling of a header format.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "io/format/format_compiler.hpp"
#include "io/format/format_plan.hpp"
#include "io/format/format_writer.hpp"
#include "io/format/output_items.hpp"
#include "io/units/unit.hpp"
#include "io/units/record_output.hpp"

namespace {

io::Unit scratch_file_unit(std::FILE* file) {
    io::Unit unit;
    unit.connection.kind = io::UnitKind::formatted_sequential;
    unit.connection.out_handle = fileno(file);
    unit.buffer.bytes = std::make_unique<char[]>(io::file_buffer_size);
    unit.buffer.size = io::file_buffer_size;
    unit.positioned_for_writing = true;
    return unit;
}

// One table row per iteration, the items queued anew each time; the format
// compiled once and its plans kept, as the statement layer keeps them.
void BM_TableRow(benchmark::State& state) {
    std::FILE* file = std::tmpfile();
    io::Unit unit = scratch_file_unit(file);
    io::CompiledFormat format;
    io::compile_format("(I5,2(1P,E25.15))", -1, format);
    io::FormatPlans plans;
    io::QueuedItems items;
    io::Record record;
    int row = 0;
    for (auto _ : state) {
        ++row;
        items.clear();
        items.add_integer(row);
        items.add_real8(14.0 + row * 1e-7);
        items.add_real8(1.0 / row);
        if (io::write_formatted(unit, plans.plan_for(format, items, false), items, record).failed()) {
            state.SkipWithError("the row was not written");
            break;
        }
    }
    if (io::flush_buffer(unit).failed()) state.SkipWithError("the file took not every byte");
    std::fclose(file);
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_TableRow);

void BM_CompileHeader(benchmark::State& state) {
    const char* header =
        "('Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o',2/,'Intervalo\tinicial:',1/,"
        "'a = ',1P,E25.15,1/,'b = ',1P,E25.15,1/,'toler\xE2ncia admitida: ',1P,E25.15,1/,"
        "'n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:',I5)";
    io::CompiledFormat compiled;
    for (auto _ : state) {
        io::compile_format(header, -1, compiled);
        benchmark::DoNotOptimize(compiled.bytes.data());
    }
}
BENCHMARK(BM_CompileHeader);

}  // namespace
