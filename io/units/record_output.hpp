#pragma once
// Output through a unit's record buffer, and the failures of the writes the
// OS does not complete.
#include <cstddef>

#include "io/units/unit.hpp"
#include "platform/console.hpp"

namespace io {

// The unit's buffer as room to write into: `reserve_bytes` gives the write
// position when at least `count` bytes fit before the buffer is full (null
// otherwise; nothing is passed to the file), and `commit_bytes` counts the
// bytes written there.
inline char* reserve_bytes(Unit& unit, std::size_t count) {
    const std::size_t room = static_cast<std::size_t>(unit.buffer.size - unit.buffer.position);
    return count <= room ? unit.buffer.bytes.get() + unit.buffer.position : nullptr;
}
inline void commit_bytes(Unit& unit, std::size_t count) { unit.buffer.position += static_cast<int>(count); }

// Output through the unit's buffer; a full buffer is passed to the file.
// Failures throw IoFailure (6422 no space, 6421 access refused, 6423 other).
void put_bytes(Unit& unit, const char* bytes, std::size_t count);
void put_repeated(Unit& unit, char c, std::size_t count);
void flush_buffer(Unit& unit);
// The same without throwing: returns 0 or the failure's message number.
int flush_buffer_status(Unit& unit);
// Passes bytes straight to the unit's output handle.
void write_through(Unit& unit, const char* bytes, std::size_t count);

// 0 for none, 422 no space, 421 access refused, 423 any other failure.
int write_failure_number(plat::WriteFailure failure);

// The first write statement on a formatted sequential file cuts the file at
// the write position, so nothing older remains behind the new records.
// Throws IoFailure when the file cannot be written.
void prepare_for_writing(Unit& unit);

}  // namespace io
