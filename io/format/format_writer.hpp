#pragma once
// The format-directed record writer.
#include "io/format/format_compiler.hpp"
#include "io/format/output_items.hpp"
#include "io/units/unit.hpp"

namespace io {

enum class WritePath { planned, interpreted };

// Performs one format-directed output statement on a file or console unit.
// On a file, a statement whose item types the format has a plan for (made
// on the first such statement and kept in `format`) is written along the
// plan; any other is interpreted. Failures throw IoFailure; the characters
// produced before a failure stay in the record. Returns the path taken.
WritePath format_write(Unit& unit, CompiledFormat& format, const QueuedItems& items, bool non_advancing);

// The interpreter alone: walks the compiled format together with the items.
// It decides every byte a plan holds.
void interpret_format(Unit& unit, const CompiledFormat& format, const QueuedItems& items, bool non_advancing);

// The plan of a statement with these item types: the interpreter's walk,
// with every field kept as a step instead of being edited. Not usable when
// the statement needs the interpreter (see FormatPlan::usable).
FormatPlan plan_format(const CompiledFormat& format, const QueuedItems& items, bool non_advancing);

}  // namespace io
