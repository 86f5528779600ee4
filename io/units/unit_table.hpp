#pragma once
// The unit table: the pre-connected console units and the 61 slots of the
// file connections, and the lookup every statement starts with.
#include <memory>

#include "io/units/unit.hpp"

namespace io {

// Creates the console units: one for both directions when standard input
// and standard output are both consoles, two otherwise; and hands the exit
// sequence its work on the units (closing them, the console's line end).
void create_console_units();
bool single_console_unit();
bool console_units_created();
Unit& console_input_unit();
Unit& console_output_unit();

// The unit a statement means: the default markers, a connected unit, or the
// console for units 0, 5 and 6 while they are not connected. Null when the
// number names nothing.
Unit* lookup_unit(int number, Direction direction);

// The table of connected units (file connections).
Unit* table_slot(int index);          // null for a free slot
Unit* find_connected(int number);     // null when the number is not connected
int free_slot();                      // index of the first free slot, -1 when full
void put_in_slot(int index, std::unique_ptr<Unit> unit);
std::unique_ptr<Unit> take_from_slot(int index);

// Exit sequence: closes every connected unit with its default status, in
// table order.
void close_all_units();

}  // namespace io
