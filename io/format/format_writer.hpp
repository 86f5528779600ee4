#pragma once
// The format-directed record writer: a statement's plan (format_plan.hpp)
// written into records, each finished record given to the unit.
#include "io/format/format_plan.hpp"
#include "io/format/output_items.hpp"
#include "io/format/record.hpp"
#include "io/units/status.hpp"
#include "io/units/unit.hpp"

namespace io {

// Writes the statement of `items` along its plan, building each record in
// `record`, which is empty before and after. A failure ends the statement;
// the characters produced before it stay in the record, which the unit then
// takes as it stands.
Status write_formatted(Unit& unit, const FormatPlan& plan, const QueuedItems& items, Record& record);

}  // namespace io
