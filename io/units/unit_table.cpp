// The unit table and the pre-connected console units: the I/O layer's
// run-time state.
#include "io/units/unit_table.hpp"

#include "io/units/console.hpp"
#include "io/units/record_output.hpp"
#include "platform/console.hpp"
#include "platform/files.hpp"
#include "runtime/messages.hpp"
#include "runtime/termination.hpp"

namespace io {


namespace {

// The unit table and the console records.
struct UnitTable {
    std::unique_ptr<Unit> slots[unit_slots];
    std::unique_ptr<Unit> console_in;
    std::unique_ptr<Unit> console_out;  // null when one unit serves both ways
};

UnitTable g_units;

std::unique_ptr<Unit> make_console_unit(int in_handle, int out_handle) {
    auto unit = std::make_unique<Unit>();
    unit->number = console_unit_number;
    unit->connection.name = "CON";
    unit->connection.in_handle = in_handle;
    unit->connection.out_handle = out_handle;
    unit->connection.kind = UnitKind::console;
    // Without its buffer the console could not be read at all.
    if (!unit->buffer.allocate(console_buffer_size)) rt::raise_error(rt::msg::no_memory, rt::Kind::general);
    unit->settings.carriage_control = true;
    return unit;
}

}  // namespace

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

// The end of the program may run inside the floating-point trap handler:
// each unit is disconnected with plain writes, closes and deletes, without
// throwing and without freeing its record (the process ends right after).
void close_all_units() {
    for (int i = 0; i < unit_slots; ++i) {
        Unit* unit = table_slot(i);
        if (!unit) continue;
        const bool keep = unit->connection.default_close == CloseStatus::keep && !unit->connection.delete_on_close;
        const int error = keep ? flush_buffer(*unit).message_number : 0;
        if (unit->connection.in_handle > plat::standard_error) plat::close_handle(unit->connection.in_handle);
        if (unit->connection.out_handle > plat::standard_error && unit->connection.out_handle != unit->connection.in_handle)
            plat::close_handle(unit->connection.out_handle);
        if (!keep && unit->connection.kind != UnitKind::console) plat::delete_file(unit->connection.name.c_str());
        if (error) rt::raise_error(error, rt::Kind::close, unit->connection.name);
    }
}

}  // namespace io
