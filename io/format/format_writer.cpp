// The format-directed record writer: a statement by the walk of its format
// (format_walk.hpp), written into records by the writing sink, or along its
// plan.
//
// The current record is built in the writer's own record buffer and passed to
// the unit when it ends (a file gets it through the unit buffer with CR LF, a
// console gets it as one console record). Holding the whole record until its
// end lets a tab to the left overwrite any column of it, however long the
// record is. A record the statement leaves open ($, \, non-advancing output,
// or an error) is passed on as it stands, so what was produced before stays.
#include "io/format/format_writer.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "io/format/edit.hpp"
#include "io/format/format_walk.hpp"
#include "io/units/console.hpp"
#include "io/units/failure.hpp"
#include "io/units/record_output.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

// The writer's record buffer, kept from statement to statement so that
// records need no allocation once it has grown to their length.
std::string& record_buffer() {
    static std::string buffer;
    return buffer;
}

// An exceptionally long record does not keep its memory after the statement.
constexpr std::size_t kept_record_capacity = 64 * 1024;

// The walk's writing sink: the record at its column, fields edited, and
// each record passed to the unit as it ends.
class WritingSink final : public RecordSink {
public:
    WritingSink(Unit& unit, std::string& record)
        : unit_(unit), console_(unit.connection.kind == UnitKind::console), record_(record) {
        record_.clear();
    }
    ~WritingSink() {
        if (record_.capacity() > kept_record_capacity) std::string().swap(record_);
    }
    WritingSink(const WritingSink&) = delete;
    WritingSink& operator=(const WritingSink&) = delete;

    bool bytes(const char* bytes, std::size_t count) override {
        const std::size_t overlap = std::min(count, record_.size() - column_);
        std::memcpy(record_.data() + column_, bytes, overlap);
        record_.append(bytes + overlap, count - overlap);
        column_ += count;
        return true;
    }
    bool repeated(char c, std::size_t count) override {
        const std::size_t overlap = std::min(count, record_.size() - column_);
        std::memset(record_.data() + column_, c, overlap);
        record_.append(count - overlap, c);
        column_ += count;
        return true;
    }
    bool number(const EditParams& params, const QueuedItem& item) override {
        const FittedField fitted = item.type == ItemType::integer4 ? edit_integer_field(item.integer, params, field_)
                                                                   : edit_real_field(item.real, params, field_);
        repeated(fitted.lead_char, static_cast<std::size_t>(std::max(fitted.lead, 0)));
        return bytes(fitted.body.data(), fitted.body.size());
    }
    bool characters(std::size_t lead, const char* text, std::size_t count) override {
        repeated(' ', lead);
        return bytes(text, count);
    }
    bool move_back(std::size_t column) override {
        column_ = column;
        return true;
    }
    bool record_end() override {
        hand_over(true);
        unit_.record_written = true;
        return true;
    }
    bool leave_open() override {
        hand_over(false);
        return true;
    }

    // After a failure the characters already produced stay in the record:
    // they are passed to the unit as an unfinished record. A failure of the
    // hand-over itself has taken its bytes already.
    void keep_partial_record() {
        if (in_transit_ || record_.empty()) return;
        try {
            hand_over(false);
        } catch (const IoFailure&) {
        }
    }

private:
    // Passes the record to the unit; a file record gets its CR LF here.
    void hand_over(bool with_line_end) {
        in_transit_ = true;
        Status status = done;
        if (console_) {
            status = send_console_record(unit_, record_.data(), record_.size());
        } else {
            if (with_line_end) record_.append("\r\n", 2);
            status = put_bytes(unit_, record_.data(), record_.size());
        }
        if (status.failed()) fail(status.message_number);
        record_.clear();
        column_ = 0;
        in_transit_ = false;
    }

    Unit& unit_;
    bool console_;
    std::string& record_;  // the current record; its size is the furthest extent
    std::size_t column_ = 0;
    bool in_transit_ = false;
    FieldText field_;
};

// The first write statement on a formatted sequential file cuts it first.
void prepare(Unit& unit) {
    if (Status status = prepare_for_writing(unit); status.failed()) fail(status.message_number);
}

void write_by_walk(Unit& unit, const CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
    WritingSink sink(unit, record_buffer());
    WalkResult result;
    try {
        result = walk_format(format, items, non_advancing, sink);
    } catch (const IoFailure&) {
        sink.keep_partial_record();
        throw;
    } catch (const std::bad_alloc&) {
        result = {WalkEnd::failed, rt::msg::no_memory};
    } catch (const std::length_error&) {
        result = {WalkEnd::failed, rt::msg::no_memory};
    }
    if (result.end != WalkEnd::done) {
        sink.keep_partial_record();
        fail(result.error);
    }
}

}  // namespace

void interpret_format(Unit& unit, const CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
    prepare(unit);
    write_by_walk(unit, format, items, non_advancing);
}

WritePath format_write(Unit& unit, const CompiledFormat& format, const FormatPlan* plan, const QueuedItems& items,
                       bool non_advancing) {
    prepare(unit);
    // A console takes whole records; a plan writes through a file's buffer.
    if (plan == nullptr || unit.connection.kind == UnitKind::console) {
        write_by_walk(unit, format, items, non_advancing);
        return WritePath::interpreted;
    }
    write_along_plan(unit, *plan, items);
    return WritePath::planned;
}

}  // namespace io
