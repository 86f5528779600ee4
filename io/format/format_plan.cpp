// Format plans: how the walk makes one, how they are kept with their
// compiled format, and the walk along a plan that writes a statement.
#include "io/format/format_plan.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "io/format/blocks.hpp"
#include "io/format/format_walk.hpp"
#include "io/units/failure.hpp"
#include "io/units/record_output.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

using blocks::block_size;

// The walk's planning sink: every byte the statement writes is appended
// to the plan, every field kept as a step with its edit parameters.
class PlanningSink final : public RecordSink {
public:
    explicit PlanningSink(FormatPlan& plan) : plan_(plan) {}

    bool bytes(const char* bytes, std::size_t count) override {
        if (count == 0) return true;
        bytes_step().length += static_cast<std::uint32_t>(count);
        plan_.bytes.append(bytes, count);
        return grown(count);
    }
    bool repeated(char c, std::size_t count) override {
        if (count == 0) return true;
        bytes_step().length += static_cast<std::uint32_t>(count);
        plan_.bytes.append(count, c);
        return grown(count);
    }
    bool number(const EditParams& params, const QueuedItem& item) override {
        PlanStep step;
        step.kind = item.type == ItemType::integer4 ? PlanStepKind::integer_field
                    : is_report_exponent(params)    ? PlanStepKind::report_real_field
                                                    : PlanStepKind::real_field;
        step.params = params;
        step.length = static_cast<std::uint32_t>(std::max(params.w, 0));
        plan_.steps.push_back(step);
        return grown(step.length);
    }
    // A plan stands for any values of the items' types: not for texts.
    bool characters(std::size_t, const char*, std::size_t) override { return false; }
    // Fields have fixed places only while the record grows at its end.
    bool move_back(std::size_t) override { return false; }
    bool record_end() override {
        plan_.ends_a_record = true;
        return bytes("\r\n", 2);
    }
    bool leave_open() override { return true; }

private:
    PlanStep& bytes_step() {
        if (plan_.steps.empty() || plan_.steps.back().kind != PlanStepKind::bytes) {
            PlanStep step;
            step.offset = static_cast<std::uint32_t>(plan_.bytes.size());
            plan_.steps.push_back(step);
        }
        return plan_.steps.back();
    }
    bool grown(std::size_t count) {
        plan_.length += count;
        return plan_.length <= plan_bytes_limit && plan_.steps.size() <= plan_steps_limit;
    }

    FormatPlan& plan_;
};

// The one walk along a plan: writes the statement at `out`, which has room
// for it and one block more. The plan's bytes are followed by a block of
// padding and a field text has room for a block, so every run can be
// copied as whole blocks.
[[gnu::always_inline]] inline void write_plan(const FormatPlan& plan, const QueuedItem* item, char* out) {
    FieldText text;
    for (const PlanStep& step : plan.steps) {
        FittedField field;
        switch (step.kind) {
            case PlanStepKind::bytes:
                out = blocks::copy_run(out, plan.bytes.data() + step.offset, step.length);
                continue;
            case PlanStepKind::integer_field:
                field = edit_integer_field((item++)->integer, step.params, text);
                break;
            case PlanStepKind::real_field:
                field = edit_real_field((item++)->real, step.params, text);
                break;
            case PlanStepKind::report_real_field:
                field = edit_report_exponent_field((item++)->real, step.params, text);
                break;
        }
        out = blocks::fill_run(out, field.lead_char, static_cast<std::size_t>(field.lead));
        out = blocks::copy_run(out, field.body.data(), field.body.size());
    }
}

// A statement that does not fit in the room of the unit's buffer is made up
// beside it and passed to it at once: on the stack up to this length.
constexpr std::size_t staging_size = 512;

}  // namespace

std::optional<FormatPlan> plan_format(const CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
    if (!plannable(items.signature())) return std::nullopt;
    try {
        FormatPlan plan;
        PlanningSink sink(plan);
        if (walk_format(format, items, non_advancing, sink).end != WalkEnd::done) return std::nullopt;
        plan.bytes.append(block_size, '\0');
        return plan;
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // the statement is interpreted
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

const FormatPlan* FormatPlans::plan_again(const CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
    for (std::size_t i = 0; i < plans_.size(); ++i) {
        if (plans_[i].serves(items.signature(), non_advancing)) {
            last_found_ = i;
            return plans_[i].plan ? &*plans_[i].plan : nullptr;
        }
    }
    Kept made{items.signature(), non_advancing, plan_format(format, items, non_advancing)};
    try {
        if (plans_.size() < kept) {
            plans_.push_back(std::move(made));
            last_found_ = plans_.size() - 1;
        } else {
            last_found_ = next_replaced_;
            plans_[next_replaced_] = std::move(made);
            next_replaced_ = (next_replaced_ + 1) % kept;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;  // not kept: the statement is interpreted
    }
    return plans_[last_found_].plan ? &*plans_[last_found_].plan : nullptr;
}

void write_along_plan(Unit& unit, const FormatPlan& plan, const QueuedItems& items) {
    const std::size_t needed = plan.length + block_size;
    char* room = reserve_bytes(unit, needed);
    char small[staging_size];
    std::unique_ptr<char[]> large;
    char* out = room;
    if (!room && needed <= staging_size) {
        out = small;
    } else if (!room) {
        large.reset(new (std::nothrow) char[needed]);
        if (!large) fail(rt::msg::no_memory);
        out = large.get();
    }
    write_plan(plan, items.list().data(), out);
    if (room) {
        commit_bytes(unit, plan.length);
    } else {
        if (Status status = put_bytes(unit, out, plan.length); status.failed()) fail(status.message_number);
    }
    if (plan.ends_a_record) unit.record_written = true;
}

}  // namespace io
