// The plans of a compiled format, kept by the types of the statements'
// items.
#include "io/format/format_plan.hpp"

#include <utility>

#include "io/format/format_walk.hpp"

namespace io {

namespace {

// Item types beyond those a signature holds cannot tell two statements
// apart.
bool keyed(const ItemSignature& signature) { return signature.count <= signature_items; }

}  // namespace

const FormatPlan& FormatPlans::plan_again(const CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
    for (std::size_t i = 0; i < plans_.size(); ++i) {
        if (plans_[i].serves(items.signature(), non_advancing)) {
            last_found_ = i;
            return plans_[i].plan;
        }
    }
    FormatPlan plan = walk_format(format, items, non_advancing);
    if (!keyed(items.signature()) || !plan.for_any_values) {
        unkept_ = std::move(plan);
        return unkept_;
    }
    Kept made{items.signature(), non_advancing, std::move(plan)};
    if (plans_.size() < kept) {
        plans_.push_back(std::move(made));
        last_found_ = plans_.size() - 1;
    } else {
        last_found_ = next_replaced_;
        plans_[next_replaced_] = std::move(made);
        next_replaced_ = (next_replaced_ + 1) % kept;
    }
    return plans_[last_found_].plan;
}

}  // namespace io
