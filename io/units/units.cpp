#include <cstring>
#include <optional>

#include "io/units/connection.hpp"
#include "io/units/console.hpp"
#include "io/units/failure.hpp"
#include "io/units/unit.hpp"
#include "io/units/write_failure.hpp"
#include "platform/console.hpp"
#include "platform/files.hpp"
#include "runtime/termination.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

// The unit table and the console records: the I/O layer's run-time state.
struct UnitTable {
    std::unique_ptr<Unit> slots[unit_slots];
    std::unique_ptr<Unit> console_in;
    std::unique_ptr<Unit> console_out;  // null when one unit serves both ways
};

UnitTable g_units;

std::unique_ptr<Unit> make_console_unit(int in_handle, int out_handle) {
    auto unit = std::make_unique<Unit>();
    unit->number = console_unit_number;
    unit->name = "CON";
    unit->in_handle = in_handle;
    unit->out_handle = out_handle;
    unit->kind = UnitKind::console;
    unit->buffer = std::make_unique<char[]>(console_buffer_size);
    unit->buffer_size = console_buffer_size;
    unit->carriage_control = true;
    return unit;
}

}  // namespace

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

void settle_console_output() {
    if (console_units_created()) settle_console_line(console_output_unit());
}

}  // namespace

void create_console_units() {
    rt::set_exit_hooks({close_all_units, settle_console_output});
    if (plat::is_console(plat::standard_input) && plat::is_console(plat::standard_output)) {
        g_units.console_in = make_console_unit(plat::standard_input, plat::standard_output);
        g_units.console_out.reset();
    } else {
        g_units.console_in = make_console_unit(plat::standard_input, -1);
        g_units.console_out = make_console_unit(-1, plat::standard_output);
    }
}

bool single_console_unit() { return g_units.console_out == nullptr; }

bool console_units_created() { return g_units.console_in != nullptr; }

Unit& console_input_unit() { return *g_units.console_in; }

Unit& console_output_unit() { return g_units.console_out ? *g_units.console_out : *g_units.console_in; }

Unit* find_connected(int number) {
    for (auto& slot : g_units.slots)
        if (slot && slot->number == number) return slot.get();
    return nullptr;
}

Unit* lookup_unit(int number, Direction direction) {
    auto console = [direction]() -> Unit* {
        return direction == Direction::input ? &console_input_unit() : &console_output_unit();
    };
    if (number == default_output_unit || number == default_input_unit) return console();
    if (Unit* unit = find_connected(number)) return unit;
    if (number == 0 || number == 5 || number == 6) return console();
    return nullptr;
}

Unit* table_slot(int index) {
    if (index < 0 || index >= unit_slots) return nullptr;
    return g_units.slots[index].get();
}

int free_slot() {
    for (int i = 0; i < unit_slots; ++i)
        if (!g_units.slots[i]) return i;
    return -1;
}

void put_in_slot(int index, std::unique_ptr<Unit> unit) { g_units.slots[index] = std::move(unit); }

std::unique_ptr<Unit> take_from_slot(int index) { return std::move(g_units.slots[index]); }

namespace {

// Where the last record end lies in the first `taken` bytes of the buffer.
void note_whole_records(Unit& unit, std::size_t taken) {
    for (std::size_t end = taken; end > 0; --end) {
        if (unit.buffer[end - 1] == '\n') {
            unit.whole_records_end = unit.file_offset + static_cast<long long>(end);
            return;
        }
    }
}

// A file that took only part of a record is cut back to its last whole
// record, so that no row ends half written.
void drop_partial_record(Unit& unit) {
    std::optional<plat::FileIdentity> identity = plat::handle_identity(unit.out_handle);
    if (!identity || !identity->regular) return;
    plat::truncate_file(unit.out_handle, unit.whole_records_end);
    plat::seek_to(unit.out_handle, unit.whole_records_end);
    unit.file_offset = unit.whole_records_end;
}

}  // namespace

int flush_buffer_status(Unit& unit) {
    if (unit.position == 0) return 0;
    const int count = unit.position;
    std::size_t taken = 0;
    const plat::WriteFailure failure =
        plat::write_all(unit.out_handle, unit.buffer.get(), static_cast<std::size_t>(count), &taken);
    note_whole_records(unit, taken);
    // What could not be written is dropped, so that closing the unit later
    // does not fail a second time on the same bytes.
    unit.position = 0;
    unit.record_start = unit.record_start == count ? 0 : -1;
    unit.file_offset += count;
    if (failure != plat::WriteFailure::none) drop_partial_record(unit);
    return write_failure_number(failure);
}

void flush_buffer(Unit& unit) {
    if (int error = flush_buffer_status(unit)) fail(error);
}

void put_bytes(Unit& unit, const char* bytes, std::size_t count) {
    while (count > 0) {
        if (unit.position == unit.buffer_size) flush_buffer(unit);
        std::size_t room = static_cast<std::size_t>(unit.buffer_size - unit.position);
        std::size_t part = count < room ? count : room;
        std::memcpy(unit.buffer.get() + unit.position, bytes, part);
        unit.position += static_cast<int>(part);
        bytes += part;
        count -= part;
    }
}

void put_blanks(Unit& unit, std::size_t count) {
    while (count > 0) {
        if (unit.position == unit.buffer_size) flush_buffer(unit);
        std::size_t room = static_cast<std::size_t>(unit.buffer_size - unit.position);
        std::size_t part = count < room ? count : room;
        std::memset(unit.buffer.get() + unit.position, ' ', part);
        unit.position += static_cast<int>(part);
        count -= part;
    }
}

// A console or device that went away (a reader of standard output who
// left) costs nothing but the bytes: only a full device and a refused
// access end the statement.
void write_through(Unit& unit, const char* bytes, std::size_t count) {
    plat::WriteFailure failure = plat::write_all(unit.out_handle, bytes, count);
    if (failure == plat::WriteFailure::other && unit.kind == UnitKind::console) return;
    if (failure != plat::WriteFailure::none) fail(write_failure_number(failure));
}

// The end of the program may run inside the floating-point trap handler:
// each unit is disconnected with plain writes, closes and deletes, without
// throwing and without freeing its record (the process ends right after).
void close_all_units() {
    for (int i = 0; i < unit_slots; ++i) {
        Unit* unit = table_slot(i);
        if (!unit) continue;
        const bool keep = unit->default_close == CloseStatus::keep && !unit->delete_on_close;
        const int error = keep ? flush_buffer_status(*unit) : 0;
        if (unit->in_handle > plat::standard_error) plat::close_handle(unit->in_handle);
        if (unit->out_handle > plat::standard_error && unit->out_handle != unit->in_handle)
            plat::close_handle(unit->out_handle);
        if (!keep && unit->kind != UnitKind::console) plat::delete_file(unit->name.c_str());
        if (error) rt::raise_error(error, rt::Kind::close, unit->name);
    }
}

}  // namespace io
