#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "io/units/console.hpp"
#include "io/units/keywords.hpp"
#include "io/units/unit_table.hpp"
#include "io/units/record_output.hpp"
#include "platform/console.hpp"
#include "platform/files.hpp"
#include "runtime/termination.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

constexpr std::array<std::string_view, 2> close_status_keywords{"KEEP", "DELETE"};

int slot_of(int number) {
    for (int i = 0; i < unit_slots; ++i)
        if (Unit* unit = table_slot(i); unit && unit->number == number) return i;
    return -1;
}

bool is_standard_handle(int handle) {
    return handle == plat::standard_input || handle == plat::standard_output || handle == plat::standard_error;
}

void close_handles(const Unit& unit) {
    if (unit.connection.in_handle >= 0 && !is_standard_handle(unit.connection.in_handle)) plat::close_handle(unit.connection.in_handle);
    if (unit.connection.out_handle >= 0 && unit.connection.out_handle != unit.connection.in_handle && !is_standard_handle(unit.connection.out_handle))
        plat::close_handle(unit.connection.out_handle);
}

}  // namespace

int disconnect_unit(int number, CloseStatus status, std::string& name) {
    int slot = slot_of(number);
    if (slot < 0) return 0;
    std::unique_ptr<Unit> unit = take_from_slot(slot);
    name = unit->connection.name;
    const bool device = unit->connection.kind == UnitKind::console;
    // Only an ordinary file is deleted, never a device reached by its path.
    std::optional<plat::FileIdentity> identity = plat::handle_identity(unit->connection.out_handle);
    const bool deletable = !device && identity && identity->regular;

    int error = 0;
    if (status == CloseStatus::keep || device) {
        error = flush_buffer(*unit).message_number;
        if (device && error == 0) settle_console_line(*unit);
    }
    close_handles(*unit);
    if (status == CloseStatus::remove && deletable) {
        plat::FileError refused = plat::delete_file(unit->connection.name.c_str());
        if (refused != plat::FileError::none && refused != plat::FileError::not_found && error == 0)
            error = rt::msg::delete_refused;
    }
    return error;
}

int close_unit(int number, const char* status, int status_length, int flags) {
    Unit* unit = find_connected(number);
    if (!unit) return 0;

    CloseStatus how = unit->connection.default_close;
    if (status) {
        int keyword = match_keyword(status, status_length, close_status_keywords);
        if (keyword < 0) return rt::msg::bad_status;
        how = keyword == 0 ? CloseStatus::keep : CloseStatus::remove;
    }

    std::string name = unit->connection.name;
    // A scratch file cannot be kept; the unit stays connected so that a
    // later close (or the end of the program) still deletes it.
    int error = how == CloseStatus::keep && unit->connection.delete_on_close ? rt::msg::keep_scratch
                                                                  : disconnect_unit(number, how, name);
    if (error == 0 || (flags & return_errors_flag)) return error;
    rt::raise_error(error, rt::Kind::close, name);
}

}  // namespace io
