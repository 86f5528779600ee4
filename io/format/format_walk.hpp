#pragma once
// The record writer's walk: the compiled format together with the items of
// one statement. The walk decides every byte and field of the statement's
// records and keeps them in the statement's plan (format_plan.hpp).
#include "io/format/format_compiler.hpp"
#include "io/format/format_plan.hpp"
#include "io/format/output_items.hpp"

namespace io {

FormatPlan walk_format(const CompiledFormat& format, const QueuedItems& items, bool non_advancing);

}  // namespace io
