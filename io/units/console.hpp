#pragma once
// The console service of the unit layer: console records with their
// first-character carriage control and owed line end, and the reads of
// standard input through the console input unit's 132-byte record buffer.
#include <cstddef>

#include "io/units/status.hpp"
#include "io/units/unit.hpp"

namespace io {

// Sends one finished console record (carriage-control character first) to
// the unit's output handle, writing the owed line end chosen by the
// carriage-control character first. One hand-over to the OS per record.
Status send_console_record(Unit& unit, const char* record, std::size_t length);

// Writes the owed CR LF of a console unit, if any (start of a read on the
// single console unit, close, stop). Never fails: safe in the exit sequence
// and in a signal handler.
void settle_console_line(Unit& unit);

// The end of a read statement on a console unit: the typed line's own end
// has ended the console line, so no line end is owed any more.
inline void end_console_read(Unit& unit) { unit.record_written = false; }

// Reads the next bytes of standard input into the unit's record buffer (at
// most 132; a terminal gives one typed line) and returns the first. End of
// input, a Ctrl+Z line, an over-long terminal line and a failed read throw
// IoFailure.
int refill(Unit& unit, bool console);
// The next character of the record buffer, refilling it when it is used up.
int next_character(Unit& unit, bool console);
void step_back(Unit& unit);
// Leaves the current line: on a terminal the buffer is discarded (after one
// more line is read and dropped when nothing of the current one was read);
// otherwise bytes are consumed up to and including the next LF.
void take_next_record(Unit& unit, bool console);

// Reads the next line of standard input through the console input unit,
// without its line end. Returns the line's length. Throws IoFailure at end
// of file, on a read failure, or for a line longer than `capacity`.
int read_console_line(char* line, int capacity);

}  // namespace io
