#pragma once
// The format-directed record writer.
#include "io/format/format_compiler.hpp"
#include "io/format/format_plan.hpp"
#include "io/format/output_items.hpp"
#include "io/units/unit.hpp"

namespace io {

enum class WritePath { planned, interpreted };

// Performs one format-directed output statement on a file or console unit:
// on a file along `plan`, the plan of `format` for the statement's item
// types (format_plan.hpp), when there is one; otherwise by the walk of the
// format. Failures throw IoFailure; the characters produced before a
// failure stay in the record. Returns the path taken.
WritePath format_write(Unit& unit, const CompiledFormat& format, const FormatPlan* plan, const QueuedItems& items,
                       bool non_advancing);

// The interpreter alone: the walk of the compiled format together with the
// items, written into the records. It decides every byte a plan holds.
void interpret_format(Unit& unit, const CompiledFormat& format, const QueuedItems& items, bool non_advancing);

}  // namespace io
