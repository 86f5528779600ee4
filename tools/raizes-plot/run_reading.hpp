#pragma once
// A report read as a stream of bytes into what the picture needs of its run:
// the memory kept is the same for a report of ten rows or of ten million,
// and a line longer than any line of a report is refused as soon as it is
// seen.
#include <array>
#include <cstdint>
#include <string_view>
#include <variant>

#include "convergence.hpp"
#include "report.hpp"
#include "report_layout.hpp"

namespace plot {

struct RunSummary {
    ReportHeader header;
    Ending ending = Ending::stopped;
    std::uint64_t rows = 0;
    std::array<Row, 2> first_rows{};  // the first two rows, as far as there are
    Row last{};
    double low_iterate = 0, high_iterate = 0;
    double low_change = 0, high_change = 0;  // of the changes above zero; 0 when none
    Outline iterates;
    Outline changes;  // log10 of the changes above zero
    OrderTracker order;
};

void add_row(RunSummary& run, const Row& row);

struct ReportStream {
    ReportReader reader;
    RunSummary run;
    std::array<char, layout::longest_equation_line> pending{};  // the start of a line not yet ended
    std::size_t pending_size = 0;
    std::optional<ParseError> failure;
};

// The next bytes of the report; after a failure, nothing more is read.
void feed(ReportStream& stream, std::string_view bytes);

// The end of the report.
std::variant<RunSummary, ParseError> finish(ReportStream& stream);

}  // namespace plot
