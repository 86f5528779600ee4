#pragma once
// Ending a connection, shared by close and by an open that replaces one.
#include <string>

#include "io/units/unit.hpp"

namespace io {

// Disconnects the connected unit `number` with the given close status:
// passes pending output on (KEEP), closes its handles (never the standard
// ones), deletes the file (DELETE) and frees the slot. The unit is
// disconnected even when this fails. Returns 0 or the message number of
// the first failure; `name` receives the unit's name.
int disconnect_unit(int number, CloseStatus status, std::string& name);

}  // namespace io
