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

// The w columns of a field in the buffer, where they are known to fit.
char* place_field(char* out, const FittedField& field) {
    std::memset(out, field.lead_char, static_cast<std::size_t>(field.lead));
    out += field.lead;
    std::memcpy(out, field.body.data(), field.body.size());
    return out + field.body.size();
}

void put_field(Unit& unit, const FittedField& field) {
    put_repeated(unit, field.lead_char, static_cast<std::size_t>(field.lead));
    put_bytes(unit, field.body.data(), field.body.size());
}

// The whole statement fits in the buffer: written straight into it.
void run_in_buffer(Unit& unit, const FormatPlan& plan, const QueuedItem* item) {
    FieldText text;
    char* out = unit.buffer.bytes.get() + unit.buffer.position;
    for (const PlanStep& step : plan.steps) {
        switch (step.kind) {
            case PlanStepKind::bytes:
                std::memcpy(out, plan.bytes.data() + step.offset, step.length);
                out += step.length;
                break;
            case PlanStepKind::integer_field:
                out = place_field(out, edit_integer_field((item++)->integer, step.params, text));
                break;
            case PlanStepKind::real_field:
                out = place_field(out, edit_real_field((item++)->real, step.params, text));
                break;
        }
    }
    unit.buffer.position += static_cast<int>(plan.length);
}

// The statement crosses the end of the buffer: step by step through it.
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

FormatPlan* FormatPlans::find(const ItemSignature& signature, bool non_advancing) {
    for (FormatPlan& plan : plans) {
        if (plan.signature == signature && plan.non_advancing == non_advancing) return &plan;
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

bool plannable(const QueuedItems& items) {
    const ItemSignature& signature = items.signature();
    return signature.count <= signature_items && !signature.has_character;
}

void run_plan(Unit& unit, const FormatPlan& plan, const QueuedItems& items) {
    const QueuedItem* item = items.list().data();
    const std::size_t room = static_cast<std::size_t>(unit.buffer.size - unit.buffer.position);
    if (plan.length <= room) {
        run_in_buffer(unit, plan, item);
        if (plan.ends_a_record) unit.record_written = true;
        return;
    }
    run_through_buffer(unit, plan, item);
}

}  // namespace io
