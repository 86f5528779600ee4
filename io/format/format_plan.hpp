#pragma once
// A compiled format planned for one sequence of item types: the bytes and
// fields, in order, that the record writer produces for a statement with
// those items. Without T or TL moving back into a record, every field has a
// fixed place in the output and every other byte is the same whatever the
// values are; a statement then is a walk along its plan. A plan is made by
// the record writer's walk (format_walk.hpp) once for the item types.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/format/edit.hpp"
#include "io/format/format_compiler.hpp"
#include "io/format/output_items.hpp"
#include "io/units/unit.hpp"

namespace io {

enum class PlanStepKind : std::uint8_t {
    bytes,          // `length` bytes of FormatPlan::bytes from `offset`
    integer_field,  // the next item, edited under `params`
    real_field,
    report_real_field,  // a real under the report's form (edit.hpp)
};

struct PlanStep {
    PlanStepKind kind = PlanStepKind::bytes;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;  // bytes written; for a field its width
    EditParams params{};
};

struct FormatPlan {
    std::vector<PlanStep> steps;
    std::string bytes;  // followed by a block of padding (blocks.hpp)
    std::size_t length = 0;  // bytes the statement writes
    bool ends_a_record = false;
};

// Plans beyond these sizes are not made: such statements are interpreted.
constexpr std::size_t plan_bytes_limit = 64 * 1024;
constexpr std::size_t plan_steps_limit = 4096;

// The plan of a statement with these items, or none when a plan cannot
// stand for it (a character item, a move back into the record, an error,
// a plan beyond the limits, no memory for it).
std::optional<FormatPlan> plan_format(const CompiledFormat& format, const QueuedItems& items, bool non_advancing);

// Whether a plan can stand for statements with items of these types: the
// types of them all are known, and none is a character item.
inline bool plannable(const ItemSignature& signature) {
    return signature.count <= signature_items && !signature.has_character;
}

// The plans made of one compiled format, a few item sequences at most; an
// item sequence that has no plan is kept too, as such. They belong to the
// entries they were made from: compiling anew clears them.
class FormatPlans {
public:
    static constexpr std::size_t kept = 4;

    void clear() {
        plans_.clear();
        next_replaced_ = 0;
        last_found_ = 0;
    }
    // The plan for a statement with these items, made now if none was made
    // for their types yet; null when the statement must be interpreted.
    const FormatPlan* plan_for(const CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
        if (!plannable(items.signature())) return nullptr;
        if (last_found_ < plans_.size() && plans_[last_found_].serves(items.signature(), non_advancing)) {
            return plans_[last_found_].plan ? &*plans_[last_found_].plan : nullptr;
        }
        return plan_again(format, items, non_advancing);
    }

private:
    struct Kept {
        ItemSignature signature;
        bool non_advancing;
        std::optional<FormatPlan> plan;
        bool serves(const ItemSignature& s, bool n) const { return signature == s && non_advancing == n; }
    };
    const FormatPlan* plan_again(const CompiledFormat& format, const QueuedItems& items, bool non_advancing);

    std::vector<Kept> plans_;
    std::size_t next_replaced_ = 0;
    std::size_t last_found_ = 0;  // a report alternates between few sequences
};

// Writes the statement along its plan. The bytes reach the unit's buffer in
// the same order and the buffer is passed to the file at the same points as
// the interpreter would. Failures of the file throw IoFailure.
void write_along_plan(Unit& unit, const FormatPlan& plan, const QueuedItems& items);

}  // namespace io
