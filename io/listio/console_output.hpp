#pragma once
// Console records: first-character carriage control and the owed line end.
#include <cstddef>

#include "io/units/unit.hpp"

namespace io {

// Sends one finished console record (carriage-control character first) to
// the unit's output handle, writing the owed line end chosen by the
// carriage-control character first. One hand-over to the OS per record.
void send_console_record(Unit& unit, const char* record, std::size_t length);

// Writes the owed CR LF of a console unit, if any (start of a read on the
// single console unit, close, stop). Never fails: safe in the exit sequence
// and in a signal handler.
void settle_console_line(Unit& unit);

}  // namespace io
