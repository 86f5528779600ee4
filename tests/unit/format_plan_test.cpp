// Statements written by the record writer along their plans against the
// same statements written by the model of the writer: the same bytes in the
// file and the same status, for every statement of the format fuzz corpus
// and for the report's own formats with many values.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "io/format/format_compiler.hpp"
#include "io/format/format_plan.hpp"
#include "io/format/format_writer.hpp"
#include "io/format/output_items.hpp"
#include "io/units/record_output.hpp"
#include "io/units/unit.hpp"
#include "subrotinas/relatorio.hpp"
#include "support/file_unit.hpp"
#include "support/format_model.hpp"
#include "support/format_statement_input.hpp"

namespace {

namespace fs = std::filesystem;
using format_input::Item;

using test_files::FileUnit;

// A run of statements on one unit: the file they leave and the status of
// the first that failed.
struct Written {
    std::string bytes;
    int status = 0;
    bool record_written = false;
};

struct Statement {
    std::string format;
    std::vector<Item> items;
};

// One compiled format per text, with its plans, kept as the statement layer
// keeps them.
struct Compiled {
    std::string text;
    io::CompiledFormat format;
    io::FormatPlans plans;
};

Compiled& compiled(std::vector<Compiled>& formats, const std::string& text) {
    auto known = std::find_if(formats.begin(), formats.end(), [&](const auto& f) { return f.text == text; });
    if (known != formats.end()) return *known;
    formats.push_back({text, {}, {}});
    io::compile_format(text.data(), static_cast<int>(text.size()), formats.back().format);
    return formats.back();
}

Written by_the_writer(const std::vector<Statement>& statements, bool non_advancing) {
    FileUnit file;
    Written written;
    std::vector<Compiled> formats;
    io::QueuedItems items;
    io::Record record;
    for (const Statement& statement : statements) {
        Compiled& known = compiled(formats, statement.format);
        format_input::queue(statement.items, items);
        const io::FormatPlan& plan = known.plans.plan_for(known.format, items, non_advancing);
        written.status = io::write_formatted(file.unit, plan, items, record).message_number;
        if (written.status != 0) break;
    }
    written.record_written = file.unit.record_written;
    written.bytes = file.contents();
    return written;
}

Written by_the_model(const std::vector<Statement>& statements, bool non_advancing) {
    format_model::File file;
    Written written;
    std::vector<Compiled> formats;
    io::QueuedItems items;
    for (const Statement& statement : statements) {
        format_input::queue(statement.items, items);
        written.status = format_model::Statement(compiled(formats, statement.format).format, items, file).run(non_advancing);
        if (written.status != 0) break;
    }
    written.record_written = file.record_written;
    written.bytes = file.bytes;
    return written;
}

// Where two files part, with a little of each from there.
std::string first_difference(const std::string& a, const std::string& b) {
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", first difference at " +
           std::to_string(at) + ": \"" + a.substr(at, 40) + "\" against \"" + b.substr(at, 40) + "\"";
}

void expect_same(const std::vector<Statement>& statements, bool non_advancing, const std::string& what) {
    const Written writer = by_the_writer(statements, non_advancing);
    const Written model = by_the_model(statements, non_advancing);
    EXPECT_EQ(writer.status, model.status) << what;
    EXPECT_TRUE(writer.bytes == model.bytes) << what << ": " << first_difference(writer.bytes, model.bytes);
    EXPECT_EQ(writer.record_written, model.record_written) << what;
}

// Each corpus statement written 41 times over, so that its records meet
// the end of the unit's buffer at many different places, with and without
// non-advancing output.
TEST(FormatPlan, EveryCorpusStatementWritesWhatTheModelWrites) {
    const fs::path corpus = fs::path(RAIZES_SOURCE_DIR) / "tests/fuzz/corpus/format_fuzz";
    int inputs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
        const std::optional<format_input::Statement> decoded = format_input::decode(test_files::read_file(entry.path().string()));
        if (!decoded) continue;
        ++inputs;
        const std::vector<Statement> statements(41, Statement{decoded->format, decoded->items});
        for (bool non_advancing : {false, true}) {
            expect_same(statements, non_advancing, entry.path().filename().string() +
                                                       (non_advancing ? " (non-advancing)" : ""));
        }
    }
    EXPECT_GE(inputs, 30);
}

// Reals of every kind a report can meet: iterates and changes over the
// whole range, exact ties of the 17th and 18th digit, values beside the
// rounding boundaries, zeros, subnormals and non-finite values.
std::vector<double> report_values() {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  14.78,
                                  0.5,
                                  -3.25e-7,
                                  1e-100,
                                  1e300,
                                  2.0 / 3.0,
                                  -1.0 / 3.0,
                                  9.9999999999999999,
                                  1.1920928955078125e-07,
                                  19.9999847412109375,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::min(),
                                  INFINITY,
                                  -INFINITY,
                                  std::bit_cast<double>(std::uint64_t{0xFFF8000000000000u}),
                                  std::bit_cast<double>(std::uint64_t{0x7FF8000000000000u}),
                                  std::bit_cast<double>(std::uint64_t{0x7FF0000000000001u})};
    for (int e = -320; e <= 308; e += 7) {
        const double v = std::pow(10.0, e);
        values.push_back(v);
        values.push_back(std::nextafter(v, 0.0));
        values.push_back(-std::nextafter(v, INFINITY));
    }
    // Bisection of [16, 20] and halvings: dyadic values with exact ties.
    for (int n = 1; n <= 60; ++n) {
        values.push_back(20.0 - std::ldexp(4.0, -n));
        values.push_back(std::ldexp(1.0, -n));
        values.push_back(std::ldexp(3.0, -n));
    }
    std::mt19937_64 rng(16);
    for (int i = 0; i < 3000; ++i) values.push_back(std::bit_cast<double>(rng()));
    std::uniform_real_distribution<double> near_root(14.0, 15.5);
    for (int i = 0; i < 1000; ++i) values.push_back(near_root(rng));
    return values;
}

std::vector<std::int32_t> report_integers() {
    std::vector<std::int32_t> integers = {0, 1, 9, 10, 99999, 100000, -1, -9999, -10000,
                                          std::numeric_limits<std::int32_t>::min(),
                                          std::numeric_limits<std::int32_t>::max()};
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) integers.push_back(static_cast<std::int32_t>(rng()));
    return integers;
}

Item real(double v) { return Item{'r', 0, v, {}}; }
Item integer(std::int32_t v) { return Item{'i', v, 0.0, {}}; }

// Whole reports: each method's header, the heading, rows of one, two and
// three items and beyond, and the trailer, one statement after the other on
// one unit; and the table row format given from one to six items in turn,
// more item sequences than a format keeps plans for.
TEST(FormatPlan, ReportFormatsWithManyValuesWriteWhatTheModelWrites) {
    using namespace subrotinas;
    const std::vector<double> values = report_values();
    const std::vector<std::int32_t> integers = report_integers();
    const auto v = [&](std::size_t i) { return real(values[i % values.size()]); };
    const auto n = [&](std::size_t i) { return integer(integers[i % integers.size()]); };

    std::vector<Statement> statements;
    std::size_t next = 0;
    const char* const headers3[] = {formato_bissecao, formato_falsa_posicao};
    for (const char* header : headers3) statements.push_back({header, {v(next++), v(next++), v(next++), n(next)}});
    statements.push_back({formato_ponto_fixo, {v(next++), v(next++), n(next)}});
    statements.push_back({formato_newton, {v(next++), n(next)}});
    statements.push_back({formato_secante, {v(next++), n(next)}});
    statements.push_back({formato_titulos, {}});
    for (std::size_t row = 0; row < values.size(); ++row) {
        statements.push_back({formato_primeira_linha, {n(row), v(row)}});
        statements.push_back({formato_linha, {n(row), v(row)}});
        statements.push_back({formato_linha, {n(row + 1), v(row + 1), v(row + 2)}});
        std::vector<Item> items = {n(row)};
        for (std::size_t k = 0; k < row % 6; ++k) items.push_back(v(row + 3 + k));
        statements.push_back({formato_linha, items});
    }
    statements.push_back({formato_falha, {n(next)}});
    expect_same(statements, false, "report");
}

// A text under A places what follows it: each statement gets a plan of its
// own, while one under Aw fills its w columns whatever its length.
TEST(FormatPlan, TextLengthsUnderAAndAw) {
    std::vector<Statement> statements;
    for (const char* text : {"a", "abcd", "", "abcdefgh", "ab"}) {
        for (const char* format : {"(A,T3,'|',I2)", "(A3,TL2,'|',I2)", "(A,'-',TL2,'+',I1)"}) {
            statements.push_back({format, {Item{'c', 0, 0.0, text}, Item{'i', 7, 0.0, {}}}});
        }
    }
    expect_same(statements, false, "texts");
}

}  // namespace
