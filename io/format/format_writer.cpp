// The format-directed record writer: the steps of a statement's plan
// written into the record, which goes to the unit at each record end. The
// whole record is held until its end, so that a move back can overwrite
// any column of it, however long it is.
#include "io/format/format_writer.hpp"

#include <algorithm>

#include "io/units/record_output.hpp"

namespace io {

namespace {

// Aw: the text right-aligned in w columns, or its first w characters.
void put_character_field(Record& record, std::size_t w, const char* text, std::size_t length) {
    record.fill(' ', w > length ? w - length : 0);
    record.put(text, std::min(w, length));
}

}  // namespace

Status write_formatted(Unit& unit, const FormatPlan& plan, const QueuedItems& items, Record& record) {
    if (Status status = prepare_for_writing(unit); status.failed()) return status;
    record.clear();
    FieldText text;
    const QueuedItem* item = items.list().data();
    for (const PlanStep& step : plan.steps) {
        Status handed = done;
        switch (step.kind) {
            case PlanStepKind::bytes:
                record.put(plan.bytes.data() + step.offset, step.length);
                break;
            case PlanStepKind::integer_field:
                record.put_field(edit_integer_field((item++)->integer, step.params, text));
                break;
            case PlanStepKind::real_field:
                record.put_field(edit_real_field((item++)->real, step.params, text));
                break;
            case PlanStepKind::report_real_field:
                record.put_field(edit_report_exponent_field((item++)->real, step.params, text));
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
            case PlanStepKind::record_end:
                handed = put_record(unit, record.finished(), record.text().size());
                record.clear();
                break;
            case PlanStepKind::leave_open:
                handed = put_open_record(unit, record.text());
                record.clear();
                break;
        }
        if (handed.failed()) return handed;
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
