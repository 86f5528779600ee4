// The format-directed record writer: the steps of a statement's plan
// written into the record, which goes to the unit at each record end. The
// whole record is held until its end, so that a move back can overwrite
// any column of it, however long it is.
#include "io/format/format_writer.hpp"

#include <algorithm>

#include "io/units/record_output.hpp"

namespace io {

namespace {

// The empty records after a record end of n/.
[[gnu::noinline]] Status put_empty_records(Unit& unit, Record& record, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (Status status = put_record(unit, record.finished(), 0); status.failed()) return status;
    }
    return done;
}

// Aw: the text right-aligned in w columns, or its first w characters.
void put_character_field(Record& record, std::size_t w, const char* text, std::size_t length) {
    record.fill(' ', w > length ? w - length : 0);
    record.put(text, std::min(w, length));
}

}  // namespace

Status write_formatted(Unit& unit, const FormatPlan& plan, const QueuedItems& items, Record& record) {
    if (Status status = prepare_for_writing(unit); status.failed()) return status;
    const QueuedItem* item = items.list().data();
    for (const PlanStep& step : plan.steps) {
        switch (step.kind) {
            case PlanStepKind::bytes:
                record.put(plan.bytes.data() + step.offset, step.length);
                break;
            case PlanStepKind::integer_field:
                put_integer_field(record, (item++)->integer, step.params);
                break;
            case PlanStepKind::real_field:
                put_real_field(record, (item++)->real, step.params);
                break;
            case PlanStepKind::report_real_field:
                put_report_field(record, (item++)->real, step.params);
                break;
            case PlanStepKind::character_field:
                put_character_field(record, step.length, items.text_of(*item), item->text_length);
                ++item;
                break;
            case PlanStepKind::whole_text:
                record.put(items.text_of(*item), item->text_length);
                ++item;
                break;
            case PlanStepKind::move_back:
                record.move_back(step.offset);
                break;
            case PlanStepKind::record_end: {
                Status status = put_record(unit, record.finished(), record.text().size());
                record.clear();
                if (!status.failed() && step.length > 1) status = put_empty_records(unit, record, step.length - 1);
                if (status.failed()) return status;
                break;
            }
            case PlanStepKind::leave_open: {
                const Status status = put_open_record(unit, record.text());
                record.clear();
                if (status.failed()) return status;
                break;
            }
        }
    }
    if (plan.end.failed() && !record.empty()) {
        // The statement's error is the one reported, whatever becomes of
        // the record it leaves.
        static_cast<void>(put_open_record(unit, record.text()));
        record.clear();
    }
    return plan.end;
}

}  // namespace io
