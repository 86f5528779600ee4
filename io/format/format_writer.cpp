// The format-directed record writer: walks the compiled format together with
// the queued items and builds the records of one output statement.
//
// The current record is built in the writer's own record buffer and passed to
// the unit when it ends (a file gets it through the unit buffer with CR LF, a
// console gets it as one console record). Holding the whole record until its
// end lets a tab to the left overwrite any column of it, however long the
// record is. A record the statement leaves open ($, \, non-advancing output,
// or an error) is passed on as it stands, so what was produced before stays.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>

#include "io/format/edit.hpp"
#include "io/format/format_entries.hpp"
#include "io/format/format_writer.hpp"
#include "io/units/console.hpp"
#include "io/units/failure.hpp"
#include "io/units/unit.hpp"
#include "io/units/record_output.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

using namespace format_entries;

int mismatch_error(ItemType type) {
    switch (type) {
        case ItemType::integer4:
            return rt::msg::integer_needs_i;
        case ItemType::real8:
            return rt::msg::real_needs_real_descriptor;
        case ItemType::character:
            return rt::msg::character_needs_a;
    }
    return rt::msg::integer_needs_i;
}

bool descriptor_serves(const Entry& descriptor, ItemType type) {
    switch (type) {
        case ItemType::integer4:
            return descriptor.kind == edit_i;
        case ItemType::real8:
            return (descriptor.kind >= edit_d && descriptor.kind <= edit_g) ||
                   (descriptor.kind == prefixed &&
                    (descriptor.sub_kind == sub_en || descriptor.sub_kind == sub_es));
        case ItemType::character:
            return descriptor.kind == edit_a;
    }
    return false;
}

struct GroupFrame {
    const std::uint8_t* restart;
    std::int32_t remaining;
};

// The state of one statement, reset at its start.
struct WriteState {
    WriteState(Unit& u, std::string& r, const std::uint8_t* start)
        : unit(u), console(u.connection.kind == UnitKind::console), record(r), position(start) {}

    Unit& unit;
    bool console;
    std::string& record;  // the current record; its size is the furthest extent
    bool record_in_transit = false;

    const std::uint8_t* position;
    Entry current;
    std::int32_t repeats_left = 0;
    int scale = 0;
    bool sign_plus = false;
    GroupFrame groups[max_group_depth];
    int depth = 0;
    int reversion_has_data = -1;  // unknown until the first reversion

    std::size_t column = 0;  // where the next character goes (0 = first column)
    std::size_t pending_blanks = 0;
    bool suppress_record_end = false;

    FieldText field;
};

// The writer's record buffer, kept from statement to statement so that
// records need no allocation once it has grown to their length.
std::string& record_buffer() {
    static std::string buffer;
    return buffer;
}

// An exceptionally long record does not keep its memory after the statement.
constexpr std::size_t kept_record_capacity = 64 * 1024;

struct RecordBufferRelease {
    std::string& record;
    ~RecordBufferRelease() {
        if (record.capacity() > kept_record_capacity) std::string().swap(record);
    }
};

void write_fill(WriteState& s, char c, std::size_t count) {
    std::string& record = s.record;
    const std::size_t overlap = std::min(count, record.size() - s.column);
    if (overlap > 0) std::memset(record.data() + s.column, c, overlap);
    record.append(count - overlap, c);
    s.column += count;
}

// Pending blanks first, then the characters, overwriting from the current
// column when a tab moved it back.
void emit(WriteState& s, const char* bytes, std::size_t count) {
    if (s.pending_blanks > 0) {
        write_fill(s, ' ', s.pending_blanks);
        s.pending_blanks = 0;
    }
    std::string& record = s.record;
    if (s.column == record.size()) {
        record.append(bytes, count);
    } else {
        const std::size_t overlap = std::min(count, record.size() - s.column);
        std::memcpy(record.data() + s.column, bytes, overlap);
        record.append(bytes + overlap, count - overlap);
    }
    s.column += count;
}

void emit_repeated(WriteState& s, char c, std::size_t count) {
    if (s.pending_blanks > 0) {
        write_fill(s, ' ', s.pending_blanks);
        s.pending_blanks = 0;
    }
    write_fill(s, c, count);
}

void emit_field(WriteState& s, const FittedField& fitted) {
    const std::size_t blanks = static_cast<std::size_t>(std::max(fitted.leading_blanks, 0));
    std::string& record = s.record;
    if (s.pending_blanks == 0 && s.column == record.size()) {
        // The usual case, a field at the end of the record: one resize.
        const std::size_t start = record.size();
        record.resize(start + blanks + fitted.body.size());
        std::memset(record.data() + start, ' ', blanks);
        std::memcpy(record.data() + start + blanks, fitted.body.data(), fitted.body.size());
        s.column = record.size();
        return;
    }
    emit_repeated(s, ' ', blanks);
    emit(s, fitted.body.data(), fitted.body.size());
}

// Passes the record to the unit; a file record gets its CR LF here.
void hand_over(WriteState& s, bool with_line_end) {
    s.record_in_transit = true;
    if (s.console) {
        send_console_record(s.unit, s.record.data(), s.record.size());
    } else {
        if (with_line_end) s.record.append("\r\n", 2);
        put_bytes(s.unit, s.record.data(), s.record.size());
    }
    s.record.clear();
    s.record_in_transit = false;
}

void end_record(WriteState& s) {
    s.pending_blanks = 0;
    hand_over(s, true);
    s.column = 0;
    s.unit.record_written = true;
}

// Tn: at or beyond the furthest extent the gap becomes pending blanks; before
// it, later characters overwrite from column n.
void tab_to(WriteState& s, std::int64_t n) {
    const std::size_t target = n > 0 ? static_cast<std::size_t>(n - 1) : 0;
    if (target >= s.record.size()) {
        s.pending_blanks = target - s.column;
    } else {
        s.column = target;
        s.pending_blanks = 0;
    }
}

// TLn: n columns left of the position reached so far, not before column 1.
void tab_left(WriteState& s, std::int64_t n) {
    const std::size_t reached = s.column + s.pending_blanks;
    const std::size_t step = n > 0 ? static_cast<std::size_t>(n) : 0;
    const std::size_t target = reached > step ? reached - step : 0;
    if (target >= s.column) {
        s.pending_blanks = target - s.column;
    } else {
        s.column = target;
        s.pending_blanks = 0;
    }
}

bool reversion_has_data(WriteState& s, const std::uint8_t* format_end_entry, std::uint16_t distance) {
    if (s.reversion_has_data < 0) {
        s.reversion_has_data = 0;
        Entry entry;
        const std::uint8_t* p = format_end_entry - distance;
        while (p < format_end_entry) {
            p = read_entry(p, entry);
            if (is_data_kind(entry.kind)) {
                s.reversion_has_data = 1;
                break;
            }
        }
    }
    return s.reversion_has_data == 1;
}

// Performs the non-data entries from the current position on. With an item,
// stops at the data descriptor that serves it (reverting at the format end);
// for the end of the statement (`item` null), stops before a data
// descriptor, at a colon or at the format end.
void walk(WriteState& s, const QueuedItem* item) {
    Entry entry;
    for (;;) {
        const std::uint8_t* next = read_entry(s.position, entry);
        switch (entry.kind) {
            case text:
                emit(s, reinterpret_cast<const char*>(entry.text), static_cast<std::size_t>(entry.repeat));
                break;
            case scale:
                s.scale = entry.repeat;
                break;
            case record_end:
                for (std::int32_t i = 0; i < std::max(entry.repeat, 1); ++i) end_record(s);
                break;
            case colon:
                if (item == nullptr) return;
                break;
            case sign_plus:
                s.sign_plus = true;
                break;
            case sign_default:
                s.sign_plus = false;
                break;
            case blank_null:
            case blank_zero:
                break;
            case no_record_end:
                if (item == nullptr) s.suppress_record_end = true;
                break;
            case position_absolute:
                tab_to(s, entry.w);
                break;
            case position_left:
                tab_left(s, entry.w);
                break;
            case position_right:
                s.pending_blanks += static_cast<std::size_t>(std::max(entry.w, 0));
                break;
            case group_start:
                if (s.depth == max_group_depth) fail(too_deeply_nested);
                s.groups[s.depth++] = GroupFrame{next, entry.repeat};
                break;
            case group_end: {
                GroupFrame& group = s.groups[s.depth - 1];
                if (--group.remaining >= 1) {
                    next = group.restart;
                } else {
                    --s.depth;
                }
                break;
            }
            case format_end:
                if (item == nullptr) return;
                // Reverting to a part of the format that holds no data
                // descriptor could never serve the item.
                if (entry.value16 == 0 || !reversion_has_data(s, s.position, entry.value16)) {
                    fail(mismatch_error(item->type));
                }
                end_record(s);
                s.depth = 0;
                next = s.position - entry.value16;
                break;
            case error:
                fail(raised_error(entry.value16));
            default:  // a data descriptor
                if (item == nullptr) return;
                s.current = entry;
                s.repeats_left = entry.repeat > 1 ? entry.repeat - 1 : 0;
                s.position = next;
                return;
        }
        s.position = next;
    }
}

void write_character(WriteState& s, const char* bytes, std::size_t length) {
    if (s.current.param_count == 0) {
        emit(s, bytes, length);
        return;
    }
    // Aw: the text right-aligned in w columns, or its first w characters.
    const std::size_t w = static_cast<std::size_t>(std::max(s.current.w, 0));
    if (w >= length) {
        emit_repeated(s, ' ', w - length);
        emit(s, bytes, length);
    } else {
        emit(s, bytes, w);
    }
}

// The edit of a real item under the current descriptor: E and D under the
// scale factor, ES and EN with their own, F and G without one.
EditParams real_params(const WriteState& s) {
    const Entry& c = s.current;
    EditParams params{.w = c.w, .d = c.d, .e = c.e, .k = s.scale, .sign_plus = s.sign_plus};
    switch (c.kind) {
        case edit_f:
            params.k = 0;
            params.form = RealForm::fixed;
            break;
        case edit_g:
            params.k = 0;
            params.form = RealForm::list;
            break;
        case prefixed:
            params.k = 1;
            if (c.sub_kind == sub_en) params.form = RealForm::engineering;
            break;
        default:  // E, and D written the same way
            break;
    }
    return params;
}

void write_real(WriteState& s, double value) {
    const int w = s.current.w;
    edit_real(value, real_params(s), s.field);
    if (s.field.too_wide) {  // wider than any field text: certainly wider than w
        emit_repeated(s, '*', static_cast<std::size_t>(std::max(w, 0)));
        return;
    }
    emit_field(s, fit_field(s.field, w));
}

void write_item(WriteState& s, const QueuedItems& statement, const QueuedItem& item) {
    if (s.repeats_left > 0) {
        --s.repeats_left;
    } else {
        walk(s, &item);
    }
    if (!descriptor_serves(s.current, item.type)) fail(mismatch_error(item.type));
    switch (item.type) {
        case ItemType::integer4:
            edit_integer(item.integer, {.d = s.current.d, .sign_plus = s.sign_plus}, s.field);
            emit_field(s, fit_field(s.field, s.current.w));
            break;
        case ItemType::real8:
            write_real(s, item.real);
            break;
        case ItemType::character:
            write_character(s, statement.text_of(item), item.text_length);
            break;
    }
}

void perform(WriteState& s, const QueuedItems& statement, bool non_advancing) {
    for (const QueuedItem& item : statement.items) write_item(s, statement, item);
    if (s.repeats_left == 0) walk(s, nullptr);
    s.pending_blanks = 0;
    if (s.suppress_record_end || non_advancing) {
        if (!s.record.empty()) hand_over(s, false);
    } else {
        end_record(s);
    }
}

// After a failure the characters already produced stay in the record: they
// are passed to the unit as an unfinished record. A failure of the hand-over
// itself has taken its bytes already.
void keep_partial_record(WriteState& s) {
    if (s.record_in_transit || s.record.empty()) return;
    try {
        hand_over(s, false);
    } catch (const IoFailure&) {
    }
}

}  // namespace

void format_write(Unit& unit, const CompiledFormat& format, const QueuedItems& statement, bool non_advancing) {
    if (unit.connection.kind == UnitKind::formatted_sequential && !unit.positioned_for_writing) prepare_for_writing(unit);
    if (format.bytes.empty()) fail(not_parenthesised);

    std::string& record = record_buffer();
    record.clear();
    RecordBufferRelease release{record};
    WriteState s(unit, record, format.bytes.data());
    try {
        perform(s, statement, non_advancing);
    } catch (const IoFailure&) {
        keep_partial_record(s);
        throw;
    } catch (const std::bad_alloc&) {
        keep_partial_record(s);
        fail(rt::msg::no_memory);
    } catch (const std::length_error&) {
        keep_partial_record(s);
        fail(rt::msg::no_memory);
    }
}

}  // namespace io
