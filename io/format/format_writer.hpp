#pragma once
// The format-directed record writer.
#include "io/format/format_compiler.hpp"
#include "io/format/format_plan.hpp"
#include "io/format/output_items.hpp"
#include "io/units/unit.hpp"

namespace io {

enum class WritePath { planned, interpreted };

// Performs one format-directed output statement on a file or console unit.
// On a file, a statement whose item types the format has a plan for (made
// on the first such statement and kept in `plans`) is written along the
// plan; any other is interpreted. Failures throw IoFailure; the characters
// produced before a failure stay in the record. Returns the path taken.
WritePath format_write(Unit& unit, const CompiledFormat& format, FormatPlans& plans, const QueuedItems& items,
                       bool non_advancing);

// The interpreter alone: the walk of the compiled format together with the
// items, written into the records. It decides every byte a plan holds.
void interpret_format(Unit& unit, const CompiledFormat& format, const QueuedItems& items, bool non_advancing);

}  // namespace io
