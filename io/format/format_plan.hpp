#pragma once
// The plan of an output statement: what its records get, in order. The walk
// of the compiled format with the statement's items makes it
// (format_walk.hpp) and the record writer writes it (format_writer.hpp). A
// field stands for its item's value and everything else is fixed, so one
// plan serves every statement of the same format with items of the same
// types; the plans of a format are kept by those types.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/format/edit.hpp"
#include "io/format/format_compiler.hpp"
#include "io/format/output_items.hpp"
#include "io/units/status.hpp"

namespace io {

enum class PlanStepKind : std::uint8_t {
    bytes,              // `length` bytes of FormatPlan::bytes from `offset`
    integer_field,      // the next item in `params.w` columns
    real_field,
    report_real_field,  // a real under the report's form (edit.hpp)
    character_field,    // the next item under Aw, w = `length`
    whole_text,         // the next item under A: its whole text
    move_back,          // later characters overwrite the record from column `offset`
    record_end,         // `length` of them: the record, then empty ones
    leave_open,  // the statement ends with its record open ($, \, non-advancing)
};

struct PlanStep {
    PlanStepKind kind = PlanStepKind::bytes;
    std::size_t offset = 0;
    std::size_t length = 0;
    EditParams params{};
};

struct FormatPlan {
    std::vector<PlanStep> steps;
    std::string bytes;
    // After its steps the statement is done, or fails with the error of the
    // format or of an item that the walk stopped at.
    Status end = done;
    // False when the length of a character item under A placed what follows
    // it: the plan then serves no other statement.
    bool for_any_values = true;
};

// The plans made of one compiled format, a few item sequences at most. They
// belong to the entries they were made from: compiling anew clears them.
class FormatPlans {
public:
    static constexpr std::size_t kept = 4;

    void clear() {
        plans_.clear();
        next_replaced_ = 0;
        last_found_ = 0;
    }
    // The plan of a statement with these items: a kept one, or one made now.
    const FormatPlan& plan_for(const CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
        if (last_found_ < plans_.size() && plans_[last_found_].serves(items.signature(), non_advancing)) {
            return plans_[last_found_].plan;
        }
        return plan_again(format, items, non_advancing);
    }

private:
    struct Kept {
        ItemSignature signature;
        bool non_advancing;
        FormatPlan plan;
        bool serves(const ItemSignature& s, bool n) const { return signature == s && non_advancing == n; }
    };
    const FormatPlan& plan_again(const CompiledFormat& format, const QueuedItems& items, bool non_advancing);

    std::vector<Kept> plans_;
    std::size_t next_replaced_ = 0;
    std::size_t last_found_ = 0;  // a report alternates between few sequences
    FormatPlan unkept_;           // the plan of the last statement whose plan is not kept
};

}  // namespace io
