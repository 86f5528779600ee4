#pragma once
// The format-directed record writer.
#include "io/format/format_compiler.hpp"
#include "io/format/output_items.hpp"
#include "io/units/unit.hpp"

namespace io {

// Performs one format-directed output statement on a file or console unit:
// walks the compiled format together with the items. Failures throw
// IoFailure; the characters produced before a failure stay in the record.
void format_write(Unit& unit, const CompiledFormat& format, const QueuedItems& items, bool non_advancing);

}  // namespace io
