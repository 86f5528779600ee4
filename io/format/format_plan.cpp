// Format plans: how one is built up, kept with its compiled format, and
// walked to write a statement.
#include "io/format/format_plan.hpp"

#include <algorithm>
#include <cstring>

#include "io/units/record_output.hpp"

namespace io {

namespace {

PlanStep& bytes_step(FormatPlan& plan) {
    if (plan.steps.empty() || plan.steps.back().kind != PlanStepKind::bytes || plan.steps.back().ends_record) {
        PlanStep step;
        step.offset = static_cast<std::uint32_t>(plan.bytes.size());
        plan.steps.push_back(step);
    }
    return plan.steps.back();
}

// A statement is written as runs copied in whole blocks of `block` bytes:
// a run of up to `block` bytes is copied as one block, whose bytes past the
// run are overwritten by the next run or lie past the statement. The plan's
// bytes are followed by a block of padding (plan_finish) and a field text
// has room for a block, so a block can always be read; the output needs
// room for one block past the statement.
constexpr std::size_t block = field_slack;

[[gnu::always_inline]] inline char* copy_run(char* out, const char* from, std::size_t count) {
    if (count <= block) {
        std::memcpy(out, from, block);
    } else {
        std::memcpy(out, from, count);
    }
    return out + count;
}

[[gnu::always_inline]] inline char* fill_run(char* out, char c, std::size_t count) {
    if (count <= block) {
        std::memset(out, c, block);
    } else {
        std::memset(out, c, count);
    }
    return out + count;
}

[[gnu::always_inline]] inline char* place_field(char* out, const FittedField& field) {
    out = fill_run(out, field.lead_char, static_cast<std::size_t>(field.lead));
    return copy_run(out, field.body.data(), field.body.size());
}

// Writes the statement at `out`, which has room for it and one block more.
[[gnu::always_inline]] inline void write_plan(const FormatPlan& plan, const QueuedItem* item, char* out) {
    FieldText text;
    for (const PlanStep& step : plan.steps) {
        switch (step.kind) {
            case PlanStepKind::bytes:
                out = copy_run(out, plan.bytes.data() + step.offset, step.length);
                break;
            case PlanStepKind::integer_field:
                out = place_field(out, edit_integer_field((item++)->integer, step.params, text));
                break;
            case PlanStepKind::real_field:
                out = place_field(out, edit_real_field((item++)->real, step.params, text));
                break;
        }
    }
}

void put_field(Unit& unit, const FittedField& field) {
    put_repeated(unit, field.lead_char, static_cast<std::size_t>(field.lead));
    put_bytes(unit, field.body.data(), field.body.size());
}

// A long statement that crosses the end of the buffer: step by step
// through it.
void run_through_buffer(Unit& unit, const FormatPlan& plan, const QueuedItem* item) {
    FieldText text;
    for (const PlanStep& step : plan.steps) {
        switch (step.kind) {
            case PlanStepKind::bytes:
                put_bytes(unit, plan.bytes.data() + step.offset, step.length);
                break;
            case PlanStepKind::integer_field:
                put_field(unit, edit_integer_field((item++)->integer, step.params, text));
                break;
            case PlanStepKind::real_field:
                put_field(unit, edit_real_field((item++)->real, step.params, text));
                break;
        }
        if (step.ends_record) unit.record_written = true;
    }
}

// Statements up to this length that do not fit in the buffer's room are
// made up beside it and passed to it at once.
constexpr std::size_t staging_size = 512;

}  // namespace

void plan_append_bytes(FormatPlan& plan, const char* bytes, std::size_t count) {
    if (count == 0) return;
    bytes_step(plan).length += static_cast<std::uint32_t>(count);
    plan.bytes.append(bytes, count);
    plan.length += count;
}

void plan_append_fill(FormatPlan& plan, char c, std::size_t count) {
    if (count == 0) return;
    bytes_step(plan).length += static_cast<std::uint32_t>(count);
    plan.bytes.append(count, c);
    plan.length += count;
}

void plan_mark_record_end(FormatPlan& plan) {
    plan_append_bytes(plan, "\r\n", 2);
    plan.steps.back().ends_record = true;
    plan.ends_a_record = true;
}

void plan_append_field(FormatPlan& plan, PlanStepKind kind, const EditParams& params) {
    PlanStep step;
    step.kind = kind;
    step.params = params;
    step.length = static_cast<std::uint32_t>(std::max(params.w, 0));
    plan.steps.push_back(step);
    plan.length += step.length;
}

bool plan_within_limits(const FormatPlan& plan) {
    return plan.length <= plan_bytes_limit && plan.steps.size() <= plan_steps_limit;
}

FormatPlan* FormatPlans::find_again(const ItemSignature& signature, bool non_advancing) {
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (plans[i].signature == signature && plans[i].non_advancing == non_advancing) {
            last_found = i;
            return &plans[i];
        }
    }
    return nullptr;
}

FormatPlan& FormatPlans::keep(FormatPlan&& plan) {
    if (plans.size() < kept) {
        plans.push_back(std::move(plan));
        return plans.back();
    }
    FormatPlan& replaced = plans[next_replaced];
    next_replaced = (next_replaced + 1) % kept;
    replaced = std::move(plan);
    return replaced;
}

void plan_finish(FormatPlan& plan) { plan.bytes.append(block, '\0'); }

void run_plan(Unit& unit, const FormatPlan& plan, const QueuedItems& items) {
    const QueuedItem* item = items.list().data();
    const std::size_t room = static_cast<std::size_t>(unit.buffer.size - unit.buffer.position);
    if (plan.length + block > staging_size && plan.length + block > room) {
        run_through_buffer(unit, plan, item);
        return;
    }
    // Straight into the buffer, or beside it when the statement would cross
    // its end.
    char staged[staging_size];
    const bool in_buffer = plan.length + block <= room;
    write_plan(plan, item, in_buffer ? unit.buffer.bytes.get() + unit.buffer.position : staged);
    if (in_buffer) {
        unit.buffer.position += static_cast<int>(plan.length);
    } else {
        put_bytes(unit, staged, plan.length);
    }
    if (plan.ends_a_record) unit.record_written = true;
}

}  // namespace io
