#include "run_reading.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plot {

namespace {

void take_line(ReportStream& s, std::string_view text, bool ended) {
    LineResult result = read_line(s.reader, text, ended);
    if (auto* row = std::get_if<Row>(&result)) add_row(s.run, *row);
    else if (auto* failure = std::get_if<ParseError>(&result)) s.failure = std::move(*failure);
}

}  // namespace

void add_row(RunSummary& run, const Row& row) {
    if (run.rows < run.first_rows.size()) run.first_rows[run.rows] = row;
    if (run.rows == 0) run.low_iterate = run.high_iterate = row.iterate;
    ++run.rows;
    run.last = row;
    run.low_iterate = std::min(run.low_iterate, row.iterate);
    run.high_iterate = std::max(run.high_iterate, row.iterate);
    const double x = static_cast<double>(row.number);
    add_point(run.iterates, {x, row.iterate});
    if (row.change && *row.change > 0) {
        const double change = *row.change;
        run.low_change = run.high_change > 0 ? std::min(run.low_change, change) : change;
        run.high_change = std::max(run.high_change, change);
        add_point(run.changes, {x, std::log10(change)});
    }
    track_order(run.order, row);
}

void feed(ReportStream& s, std::string_view bytes) {
    while (!s.failure && !bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        const std::size_t length = lf == std::string_view::npos ? bytes.size() : lf;
        // The line's start decides how long it may be: its first 8 bytes,
        // as far as they have come.
        char start[8];
        const std::size_t kept = std::min(s.pending_size, sizeof start);
        std::memcpy(start, s.pending.data(), kept);
        const std::size_t added = std::min(length, sizeof start - kept);
        std::memcpy(start + kept, bytes.data(), added);
        const std::size_t limit = line_limit(s.reader, std::string_view(start, kept + added));
        if (s.pending_size + length > limit) {
            const std::size_t seen = std::min(length, limit - s.pending_size);
            std::memcpy(s.pending.data() + s.pending_size, bytes.data(), seen);
            s.failure = read_overlong_line(s.reader, std::string_view(s.pending.data(), limit));
            return;
        }
        if (lf == std::string_view::npos) {
            std::memcpy(s.pending.data() + s.pending_size, bytes.data(), length);
            s.pending_size += length;
            return;
        }
        if (s.pending_size == 0) {
            take_line(s, bytes.substr(0, length), true);
        } else {
            std::memcpy(s.pending.data() + s.pending_size, bytes.data(), length);
            take_line(s, std::string_view(s.pending.data(), s.pending_size + length), true);
            s.pending_size = 0;
        }
        bytes.remove_prefix(length + 1);
    }
}

std::variant<RunSummary, ParseError> finish(ReportStream& s) {
    if (!s.failure && s.pending_size > 0) {
        take_line(s, std::string_view(s.pending.data(), s.pending_size), false);
        s.pending_size = 0;
    }
    if (s.failure) return *s.failure;
    auto ending = read_end(s.reader);
    if (auto* failure = std::get_if<ParseError>(&ending)) return *failure;
    s.run.header = std::move(s.reader.header);
    s.run.ending = std::get<Ending>(ending);
    return std::move(s.run);
}

}  // namespace plot
