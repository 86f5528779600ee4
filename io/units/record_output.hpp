#pragma once
// Output through a unit's record buffer, the records a unit takes, and the
// failures of the writes the OS does not complete. Every write returns its
// status: done, or failed with 6422 (no space), 6421 (access refused) or
// 6423 (any other failure).
#include <cstddef>
#include <string_view>

#include <cstring>

#include "io/units/console.hpp"
#include "io/units/status.hpp"
#include "io/units/unit.hpp"
#include "platform/console.hpp"

namespace io {

Status flush_buffer(Unit& unit);

// Output through the unit's buffer: when it is full and bytes are left, it
// is passed to the file.
inline Status put_bytes(Unit& unit, const char* bytes, std::size_t count) {
    for (;;) {
        const std::size_t room = static_cast<std::size_t>(unit.buffer.size - unit.buffer.position);
        const std::size_t part = count < room ? count : room;
        std::memcpy(unit.buffer.bytes.get() + unit.buffer.position, bytes, part);
        unit.buffer.position += static_cast<int>(part);
        if (part == count) return done;
        bytes += part;
        count -= part;
        if (Status status = flush_buffer(unit); status.failed()) return status;
    }
}

// A finished record of `length` bytes, followed by room for two bytes more:
// a file gets it through the buffer with CR LF written into that room, a
// console as one console record (console.hpp). Either way the unit has
// written a record.
inline Status put_record(Unit& unit, char* record, std::size_t length) {
    if (unit.connection.console()) return send_console_record(unit, record, length);
    record[length] = '\r';
    record[length + 1] = '\n';
    if (Status status = put_bytes(unit, record, length + 2); status.failed()) return status;
    unit.record_written = true;
    return done;
}

// The bytes of a record that a statement leaves open: a file gets them
// through the buffer as they are, a console as one console record.
Status put_open_record(Unit& unit, std::string_view record);
// Passes bytes straight to the unit's output handle.
Status write_through(Unit& unit, const char* bytes, std::size_t count);

// 0 for none, 422 no space, 421 access refused, 423 any other failure.
int write_failure_number(plat::WriteFailure failure);

// The first write statement on a formatted sequential file cuts the file at
// the write position, so nothing older remains behind the new records.
Status cut_for_writing(Unit& unit);
inline Status prepare_for_writing(Unit& unit) {
    if (unit.connection.kind != UnitKind::formatted_sequential || unit.positioned_for_writing) return done;
    return cut_for_writing(unit);
}

}  // namespace io
