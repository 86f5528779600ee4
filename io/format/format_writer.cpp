// The format-directed record writer: walks the compiled format together with
// the queued items and builds the records of one output statement.
//
// The same walk makes the plans (format_plan.hpp): planning, it passes no
// byte to the unit but appends every byte it writes to the plan, and keeps
// every field as a step with its edit parameters in place of its text. A
// walk that would overwrite a written column, meets a character item or
// fails leaves no usable plan.
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

// Planning stops where a plan cannot stand for the statement.
struct NotPlannable {};

struct GroupFrame {
    const std::uint8_t* restart;
    std::int32_t remaining;
};

// The state of one statement, reset at its start.
struct WriteState {
    WriteState(Unit* u, std::string& r, const std::uint8_t* start, FormatPlan* p)
        : unit(u),
          console(u != nullptr && u->connection.kind == UnitKind::console),
          plan(p),
          record(r),
          position(start) {}

    Unit* unit;  // null while planning
    bool console;
    FormatPlan* plan;     // the plan being made, or null
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

// While planning every byte is written at the end of the record.
void plan_write(WriteState& s) {
    if (s.column != s.record.size()) throw NotPlannable{};
}

void write_fill(WriteState& s, char c, std::size_t count) {
    if (s.plan) {
        plan_write(s);
        plan_append_fill(*s.plan, c, count);
    }
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
    if (s.plan) {
        plan_write(s);
        plan_append_bytes(*s.plan, bytes, count);
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
    const std::size_t lead = static_cast<std::size_t>(std::max(fitted.lead, 0));
    std::string& record = s.record;
    if (s.pending_blanks == 0 && s.column == record.size()) {
        // The usual case, a field at the end of the record: one resize.
        const std::size_t start = record.size();
        record.resize(start + lead + fitted.body.size());
        std::memset(record.data() + start, fitted.lead_char, lead);
        std::memcpy(record.data() + start + lead, fitted.body.data(), fitted.body.size());
        s.column = record.size();
        return;
    }
    emit_repeated(s, fitted.lead_char, lead);
    emit(s, fitted.body.data(), fitted.body.size());
}

// Planning: the field's w columns become a step of the plan; the record
// holds blanks in their place, for its extent.
void plan_field(WriteState& s, PlanStepKind kind, const EditParams& params) {
    if (s.pending_blanks > 0) {
        write_fill(s, ' ', s.pending_blanks);
        s.pending_blanks = 0;
    }
    plan_write(s);
    plan_append_field(*s.plan, kind, params);
    if (!plan_within_limits(*s.plan)) throw NotPlannable{};
    const std::size_t w = static_cast<std::size_t>(std::max(params.w, 0));
    s.record.append(w, ' ');
    s.column += w;
}

// Passes the record to the unit; a file record gets its CR LF here. While
// planning, the record's bytes are in the plan already.
void hand_over(WriteState& s, bool with_line_end) {
    if (s.plan) {
        if (with_line_end) plan_mark_record_end(*s.plan);
        if (!plan_within_limits(*s.plan)) throw NotPlannable{};
        s.record.clear();
        return;
    }
    s.record_in_transit = true;
    if (s.console) {
        send_console_record(*s.unit, s.record.data(), s.record.size());
    } else {
        if (with_line_end) s.record.append("\r\n", 2);
        put_bytes(*s.unit, s.record.data(), s.record.size());
    }
    s.record.clear();
    s.record_in_transit = false;
}

void end_record(WriteState& s) {
    s.pending_blanks = 0;
    hand_over(s, true);
    s.column = 0;
    if (s.unit) s.unit->record_written = true;
}

// Tn: at or beyond the furthest extent the gap becomes pending blanks; before
// it, later characters overwrite from column n.
void tab_to(WriteState& s, std::int64_t n) {
    const std::size_t target = n > 0 ? static_cast<std::size_t>(n - 1) : 0;
    if (target >= s.record.size()) {
        s.pending_blanks = target - s.column;
    } else {
        if (s.plan) throw NotPlannable{};
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
        if (s.plan) throw NotPlannable{};
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

void write_item(WriteState& s, const QueuedItems& statement, const QueuedItem& item) {
    if (s.repeats_left > 0) {
        --s.repeats_left;
    } else {
        walk(s, &item);
    }
    if (!descriptor_serves(s.current, item.type)) fail(mismatch_error(item.type));
    switch (item.type) {
        case ItemType::integer4: {
            const EditParams params{.w = s.current.w, .d = s.current.d, .sign_plus = s.sign_plus};
            if (s.plan) {
                plan_field(s, PlanStepKind::integer_field, params);
            } else {
                emit_field(s, edit_integer_field(item.integer, params, s.field));
            }
            break;
        }
        case ItemType::real8:
            if (s.plan) {
                plan_field(s, PlanStepKind::real_field, real_params(s));
            } else {
                emit_field(s, edit_real_field(item.real, real_params(s), s.field));
            }
            break;
        case ItemType::character:
            if (s.plan) throw NotPlannable{};
            write_character(s, statement.text_of(item), item.text_length);
            break;
    }
}

void perform(WriteState& s, const QueuedItems& statement, bool non_advancing) {
    for (const QueuedItem& item : statement.list()) write_item(s, statement, item);
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

// The writer's record buffer, for a walk that plans: a separate one, so
// that planning never touches a record being written.
std::string& planning_record() {
    static std::string buffer;
    return buffer;
}

// The usable plan for the statement, made now if the format has none for
// its item types yet; null when the interpreter must write it. Without the
// memory for a plan the statement is interpreted.
const FormatPlan* plan_for(CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
    if (!plannable(items)) return nullptr;
    const FormatPlan* plan = format.plans.find(items.signature(), non_advancing);
    if (!plan) {
        try {
            plan = &format.plans.keep(plan_format(format, items, non_advancing));
        } catch (const std::bad_alloc&) {
            return nullptr;
        } catch (const std::length_error&) {
            return nullptr;
        }
    }
    return plan->usable ? plan : nullptr;
}

}  // namespace

void interpret_format(Unit& unit, const CompiledFormat& format, const QueuedItems& statement, bool non_advancing) {
    if (unit.connection.kind == UnitKind::formatted_sequential && !unit.positioned_for_writing) prepare_for_writing(unit);
    if (format.bytes.empty()) fail(not_parenthesised);

    std::string& record = record_buffer();
    record.clear();
    RecordBufferRelease release{record};
    WriteState s(&unit, record, format.bytes.data(), nullptr);
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

FormatPlan plan_format(const CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
    FormatPlan plan;
    plan.signature = items.signature();
    plan.non_advancing = non_advancing;
    if (format.bytes.empty() || !plannable(items)) return plan;
    std::string& record = planning_record();
    record.clear();
    RecordBufferRelease release{record};
    WriteState s(nullptr, record, format.bytes.data(), &plan);
    try {
        perform(s, items, non_advancing);
        plan_finish(plan);
        plan.usable = true;
    } catch (const NotPlannable&) {
    } catch (const IoFailure&) {
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    if (!plan.usable) {
        plan.steps = {};
        plan.bytes = {};
        plan.length = 0;
    }
    return plan;
}

WritePath format_write(Unit& unit, CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
    if (unit.connection.kind == UnitKind::formatted_sequential && !unit.positioned_for_writing) prepare_for_writing(unit);
    if (unit.connection.kind != UnitKind::console) {
        if (const FormatPlan* plan = plan_for(format, items, non_advancing)) {
            run_plan(unit, *plan, items);
            return WritePath::planned;
        }
    }
    interpret_format(unit, format, items, non_advancing);
    return WritePath::interpreted;
}

}  // namespace io
