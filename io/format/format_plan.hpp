#pragma once
// A compiled format planned for one sequence of item types: the bytes and
// fields, in order, that the record writer produces for a statement with
// those items. Without T or TL moving back into a record, every field has a
// fixed place in the output and every other byte is the same whatever the
// values are; a statement then is a walk along its plan. The record writer
// makes the plans by interpreting the format once for the item types.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/format/edit.hpp"
#include "io/format/output_items.hpp"
#include "io/units/unit.hpp"

namespace io {

enum class PlanStepKind : std::uint8_t {
    bytes,          // `length` bytes of FormatPlan::bytes from `offset`
    integer_field,  // the next item, edited under `params`
    real_field,
};

struct PlanStep {
    PlanStepKind kind = PlanStepKind::bytes;
    bool ends_record = false;  // the step's bytes end a record
    std::uint32_t offset = 0;
    std::uint32_t length = 0;  // bytes written; for a field its width
    EditParams params{};
};

struct FormatPlan {
    ItemSignature signature;
    bool non_advancing = false;
    // False when the statement is left to the interpreter (a character item,
    // a move back into the record, an error, a plan beyond the limits).
    bool usable = false;
    std::vector<PlanStep> steps;
    std::string bytes;
    std::size_t length = 0;  // bytes the statement writes
    bool ends_a_record = false;
};

// Plans beyond these sizes are not made: such statements are interpreted.
constexpr std::size_t plan_bytes_limit = 64 * 1024;
constexpr std::size_t plan_steps_limit = 4096;

// Building a plan, step by step.
void plan_append_bytes(FormatPlan& plan, const char* bytes, std::size_t count);
void plan_append_fill(FormatPlan& plan, char c, std::size_t count);
void plan_mark_record_end(FormatPlan& plan);
void plan_append_field(FormatPlan& plan, PlanStepKind kind, const EditParams& params);
// False once the plan has grown beyond the limits.
bool plan_within_limits(const FormatPlan& plan);
// Ends a plan that is complete and usable.
void plan_finish(FormatPlan& plan);

// The plans made for one compiled format, a few item sequences at most.
struct FormatPlans {
    static constexpr std::size_t kept = 4;
    std::vector<FormatPlan> plans;
    std::size_t next_replaced = 0;
    std::size_t last_found = 0;  // a report alternates between few sequences

    void clear() {
        plans.clear();
        next_replaced = 0;
        last_found = 0;
    }
    FormatPlan* find(const ItemSignature& signature, bool non_advancing) {
        if (last_found < plans.size()) {
            FormatPlan& plan = plans[last_found];
            if (plan.signature == signature && plan.non_advancing == non_advancing) return &plan;
        }
        return find_again(signature, non_advancing);
    }
    // Keeps `plan`, in place of the oldest when `kept` are held already.
    FormatPlan& keep(FormatPlan&& plan);

private:
    FormatPlan* find_again(const ItemSignature& signature, bool non_advancing);
};

// Whether a plan can stand for statements with these items.
inline bool plannable(const QueuedItems& items) {
    const ItemSignature& signature = items.signature();
    return signature.count <= signature_items && !signature.has_character;
}

// Writes the statement along its plan. The bytes reach the unit's buffer in
// the same order and the buffer is passed to the file at the same points as
// the interpreter would. Failures of the file throw IoFailure.
void run_plan(Unit& unit, const FormatPlan& plan, const QueuedItems& items);

}  // namespace io
