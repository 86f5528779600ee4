// Output through a unit's record buffer: a full buffer is passed to the
// file, and a write the OS does not complete becomes the statement's error.
#include "io/units/record_output.hpp"

#include <cstring>
#include <optional>

#include "io/units/console.hpp"
#include "platform/console.hpp"
#include "platform/files.hpp"
#include "runtime/messages.hpp"

namespace io {

int write_failure_number(plat::WriteFailure failure) {
    switch (failure) {
        case plat::WriteFailure::none: return 0;
        case plat::WriteFailure::no_space: return rt::msg::no_space;
        case plat::WriteFailure::access_denied: return rt::msg::write_refused;
        case plat::WriteFailure::other: return rt::msg::write_failed;
    }
    return rt::msg::write_failed;
}

namespace {

// Where the last record end lies in the first `taken` bytes of the buffer.
void note_whole_records(Unit& unit, std::size_t taken) {
    for (std::size_t end = taken; end > 0; --end) {
        if (unit.buffer.bytes[end - 1] == '\n') {
            unit.buffer.whole_records_end = unit.buffer.file_offset + static_cast<long long>(end);
            return;
        }
    }
}

// A file that took only part of a record is cut back to its last whole
// record, so that no row ends half written.
void drop_partial_record(Unit& unit) {
    std::optional<plat::FileIdentity> identity = plat::handle_identity(unit.connection.out_handle);
    if (!identity || !identity->regular) return;
    plat::truncate_file(unit.connection.out_handle, unit.buffer.whole_records_end);
    plat::seek_to(unit.connection.out_handle, unit.buffer.whole_records_end);
    unit.buffer.file_offset = unit.buffer.whole_records_end;
}

}  // namespace

Status flush_buffer(Unit& unit) {
    if (unit.buffer.position == 0) return done;
    const int count = unit.buffer.position;
    std::size_t taken = 0;
    const plat::WriteFailure failure =
        plat::write_all(unit.connection.out_handle, unit.buffer.bytes.get(), static_cast<std::size_t>(count), &taken);
    note_whole_records(unit, taken);
    // What could not be written is dropped, so that closing the unit later
    // does not fail a second time on the same bytes.
    unit.buffer.position = 0;
    unit.buffer.file_offset += count;
    if (failure != plat::WriteFailure::none) drop_partial_record(unit);
    return Status{write_failure_number(failure)};
}

Status put_open_record(Unit& unit, std::string_view record) {
    if (unit.connection.console()) return send_console_record(unit, record.data(), record.size());
    return put_bytes(unit, record.data(), record.size());
}

// A console or device that went away (a reader of standard output who
// left) costs nothing but the bytes: only a full device and a refused
// access end the statement.
Status write_through(Unit& unit, const char* bytes, std::size_t count) {
    plat::WriteFailure failure = plat::write_all(unit.connection.out_handle, bytes, count);
    if (failure == plat::WriteFailure::other && unit.connection.kind == UnitKind::console) return done;
    return Status{write_failure_number(failure)};
}

Status cut_for_writing(Unit& unit) {
    if (unit.connection.action == Action::read) return failed(rt::msg::write_refused);
    std::optional<plat::FileIdentity> identity = plat::handle_identity(unit.connection.out_handle);
    if (identity && identity->regular) {
        plat::WriteFailure failure = plat::truncate_file(unit.connection.out_handle, unit.buffer.file_offset + unit.buffer.position);
        if (failure != plat::WriteFailure::none) return failed(write_failure_number(failure));
        plat::seek_to(unit.connection.out_handle, unit.buffer.file_offset);
        unit.buffer.whole_records_end = unit.buffer.file_offset + unit.buffer.position;
    }
    unit.positioned_for_writing = true;
    return done;
}

}  // namespace io
