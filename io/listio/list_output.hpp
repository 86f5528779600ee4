#pragma once
// List-directed output: the records of a statement without a format.
#include "io/format/output_items.hpp"
#include "io/units/unit.hpp"

namespace io {

// Performs one list-directed output statement. Failures throw IoFailure.
void list_write(Unit& unit, const QueuedItems& items);

}  // namespace io
