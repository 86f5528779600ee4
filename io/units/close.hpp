#pragma once
// Close: disconnecting a unit, also when an open replaces its connection.
#include <string>

#include "io/units/unit.hpp"

namespace io {

// Close with STATUS text ("KEEP", "DELETE"; null for the default). Returns 0
// or, when `flags` asks for returned errors, the error's message number.
// A STATUS text that is neither returns 304 without a report.
int close_unit(int number, const char* status, int status_length, int flags);

// Disconnects the connected unit `number` with the given close status:
// passes pending output on (KEEP), closes its handles (never the standard
// ones), deletes the file (DELETE) and frees the slot. The unit is
// disconnected even when this fails. Returns 0 or the message number of
// the first failure; `name` receives the unit's name.
int disconnect_unit(int number, CloseStatus status, std::string& name);

}  // namespace io
