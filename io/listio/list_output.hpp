#pragma once
// List-directed output: the records of a statement without a format.
#include "io/format/output_items.hpp"
#include "io/units/status.hpp"
#include "io/units/unit.hpp"

namespace io {

// Performs one list-directed output statement.
Status list_write(Unit& unit, const QueuedItems& items);

}  // namespace io
