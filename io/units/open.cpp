#include <climits>
#include <iterator>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "io/units/console.hpp"
#include "io/units/failure.hpp"
#include "io/units/open_names.hpp"
#include "io/units/open_settings.hpp"
#include "io/units/unit_table.hpp"
#include "io/units/record_output.hpp"
#include "io/units/close.hpp"
#include "platform/console.hpp"
#include "platform/files.hpp"
#include "runtime/termination.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace msg = rt::msg;

namespace {


// The longest typed line kept: 260 bytes with its CR LF.
constexpr int typed_name_capacity = 258;

// Command-line arguments already taken as file names by earlier opens.
struct ArgumentState {
    int next = 1;
};

ArgumentState g_arguments;

// How the I/O layer reports a refusal of the system: the message number,
// and the reason in the user's terms (empty where the message says it all).
struct Refusal {
    plat::FileError error;
    int message_number;
    std::string_view reason;
};

constexpr Refusal refusals[] = {
    {plat::FileError::not_found, msg::file_not_found, "no such file or folder"},
    {plat::FileError::not_a_folder, msg::file_not_found, "a part of the path is not a folder"},
    {plat::FileError::no_device, msg::file_not_found, "no such device"},
    {plat::FileError::access_denied, msg::access_denied, "permission denied"},
    {plat::FileError::read_only, msg::access_denied, "read-only file system"},
    {plat::FileError::busy, msg::access_denied, "in use by another program"},
    {plat::FileError::exists, msg::file_exists, ""},
    {plat::FileError::too_many_open, msg::too_many_open_files, ""},
    {plat::FileError::name_too_long, msg::name_refused, "name too long"},
    {plat::FileError::bad_name, msg::name_refused, "name not allowed"},
    {plat::FileError::is_folder, msg::name_refused, "a folder has this name"},
    {plat::FileError::no_space, msg::open_failed, "no space left on the device"},
    {plat::FileError::no_memory, msg::no_memory, ""},
    {plat::FileError::unsupported_kind, msg::unsupported_file_kind, ""},
    {plat::FileError::other, msg::open_failed, ""},
};

const Refusal& refusal_of(plat::FileError error) {
    for (const Refusal& refusal : refusals)
        if (refusal.error == error) return refusal;
    return refusals[std::size(refusals) - 1];
}

int open_failure_number(plat::FileError error) {
    return error == plat::FileError::none ? 0 : refusal_of(error).message_number;
}

// A refused open ends the statement with the reason; a failure the table
// does not know takes the system's own wording.
[[noreturn]] void fail_open(const plat::OpenedFile& file) {
    const Refusal& refusal = refusal_of(file.error);
    std::string reason(refusal.reason);
    if (file.error == plat::FileError::other && file.system_error != 0) reason = plat::system_error_text(file.system_error);
    fail(refusal.message_number, reason);
}

plat::FileAccess file_access(Action action) {
    switch (action) {
        case Action::read_write: return plat::FileAccess::read_write;
        case Action::read: return plat::FileAccess::read;
        case Action::write: return plat::FileAccess::write;
    }
    return plat::FileAccess::read_write;
}

std::string name_from_arguments() {
    while (g_arguments.next < plat::argument_count()) {
        const char* argument = plat::argument(g_arguments.next++);
        std::string name = file_name_from_text(argument, static_cast<int>(std::strlen(argument)));
        if (!name.empty()) return name;
    }
    return {};
}

// Asks on the console until a non-empty name is typed. The prompt ends
// without a line end: the user types after it, and the line end of the
// typed line ends the console line, so nothing is owed afterwards.
std::string name_from_console(int number) {
    Unit& console = console_output_unit();
    const std::string prompt =
        "File name missing or blank - please enter file name\r\nUNIT " + std::to_string(number) + "? ";
    for (;;) {
        settle_console_line(console);
        if (Status status = write_through(console, prompt.data(), prompt.size()); status.failed()) {
            fail(status.message_number);
        }
        char line[typed_name_capacity];
        int length = read_console_line(line, typed_name_capacity);
        std::string name = file_name_from_text(line, length);
        if (!name.empty()) return name;
    }
}

std::unique_ptr<Unit> new_unit(int buffer_size) {
    std::unique_ptr<Unit> unit(new (std::nothrow) Unit);
    if (!unit) fail(msg::no_memory);
    if (!unit->buffer.allocate(buffer_size)) fail(msg::no_memory);
    return unit;
}

// The buffer a connection gets: a console record for devices, a record for
// direct access (formatted records with their CR LF), else the block.
int buffer_size_of(const OpenSettings& settings, bool device) {
    if (device) return console_buffer_size;
    if (settings.access == Access::sequential) return settings.buffer_size;
    long long size = settings.recl + (settings.kind == UnitKind::formatted_direct ? 2LL : 0LL);
    if (size > INT_MAX) fail(msg::no_memory);
    return static_cast<int>(size);
}

struct OpenedHandle {
    int handle = -1;
    Action action = Action::read_write;
    bool created = false;
};

// Opens with the action asked for, or read-write falling back to reading
// only and then to writing only; the error of the last attempt is raised.
OpenedHandle open_with_action(const char* path, plat::Creation creation, std::optional<Action> action) {
    static constexpr Action fallbacks[] = {Action::read_write, Action::read, Action::write};
    plat::OpenedFile last{-1, plat::FileError::other, 0};
    for (Action attempt : fallbacks) {
        if (action && attempt != *action) continue;
        plat::OpenedFile file = plat::open_file(path, creation, file_access(attempt));
        if (file.error == plat::FileError::none)
            return OpenedHandle{file.handle, attempt, creation == plat::Creation::create_new};
        last = file;
    }
    fail_open(last);
}

OpenedHandle open_named_file(const std::string& name, OpenStatus status, std::optional<Action> action) {
    const char* path = name.c_str();
    switch (status) {
        case OpenStatus::old_file: return open_with_action(path, plat::Creation::open_existing, action);
        case OpenStatus::new_file: return open_with_action(path, plat::Creation::create_new, action);
        case OpenStatus::unknown:
            return open_with_action(
                path, plat::file_exists(path) ? plat::Creation::open_existing : plat::Creation::create_new, action);
        case OpenStatus::replace: {
            plat::FileError refused = plat::delete_file(path);
            if (refused != plat::FileError::none && refused != plat::FileError::not_found)
                fail(open_failure_number(refused));
            return open_with_action(path, plat::Creation::create_new, action);
        }
        case OpenStatus::scratch: break;
    }
    fail(open_failure_number(plat::FileError::other));
}

OpenedHandle open_device(Device device, std::optional<Action> action) {
    Action chosen = action.value_or(Action::read_write);
    switch (device) {
        case Device::console: return OpenedHandle{-1, chosen, false};
        case Device::error: return OpenedHandle{plat::standard_error, chosen, false};
        case Device::null: return open_with_action(plat::null_device_path(), plat::Creation::open_existing, action);
        case Device::none:
        case Device::unavailable: break;
    }
    fail(msg::file_not_found);
}

// Blank, delimiter, pad and carriage control of a connection that stays.
void change_settings(Unit& unit, const OpenSettings& settings) {
    unit.settings.blank_zero = settings.blank_zero;
    unit.settings.delim = settings.delim;
    unit.settings.pad = settings.pad;
    unit.settings.carriage_control = settings.carriage_control.value_or(unit.connection.kind == UnitKind::console);
}

std::optional<plat::FileIdentity> identity_of(const Unit& unit) {
    if (unit.connection.kind == UnitKind::console) return std::nullopt;
    std::optional<plat::FileIdentity> identity = plat::handle_identity(unit.connection.out_handle);
    return identity && identity->regular ? identity : std::nullopt;
}

// The connection a named file already has on a unit other than `number`.
bool connected_elsewhere(int number, const plat::FileIdentity& identity) {
    for (int i = 0; i < unit_slots; ++i) {
        Unit* unit = table_slot(i);
        if (!unit || unit->number == number) continue;
        if (std::optional<plat::FileIdentity> other = identity_of(*unit); other && *other == identity) return true;
    }
    return false;
}

bool same_connection(const Unit& unit, Device device, const std::optional<plat::FileIdentity>& identity) {
    if (device != Device::none) return unit.connection.kind == UnitKind::console && device_of(unit.connection.name) == device;
    std::optional<plat::FileIdentity> current = identity_of(unit);
    return identity && current && *current == *identity;
}

// The file an open connects to: its name, or a scratch file whose name is
// made when it is created; a device; the file's identity when it exists.
struct Target {
    std::string name;
    bool scratch = false;
    Device device = Device::none;
    std::optional<plat::FileIdentity> identity;
    UnitKind kind = UnitKind::formatted_sequential;
};

// Step 1, resolving the name: the FILE text, else a command-line argument,
// else a name typed on the console; a device name, and where the file is.
Target resolve_name(int number, const OpenSettings& settings, std::string name) {
    Target target;
    target.kind = settings.kind;
    if (settings.status == OpenStatus::scratch) {
        target.scratch = true;
        return target;
    }
    if (name.empty()) name = name_from_arguments();
    if (name.empty()) name = name_from_console(number);
    target.name = console_alias(std::move(name));
    target.device = device_of(target.name);
    if (target.device == Device::unavailable) fail(msg::file_not_found);
    if (target.device != Device::none) {
        target.kind = UnitKind::console;
        return target;
    }
    target.identity = plat::path_identity(target.name.c_str());
    if (target.identity && !target.identity->regular) target.identity.reset();
    if (target.identity && connected_elsewhere(number, *target.identity)) fail(msg::connected_elsewhere);
    return target;
}

// What an open statement ends with: 0 or the error with the reason the
// system gave, and the file name an error report names.
struct OpenResult {
    int error = 0;
    std::string reason;
    std::string name;
};

// Step 2, reuse or close: a unit connected to the same file keeps its
// connection with new settings; one connected to anything else is closed
// with its default status first (0, or the error of the close).
void reuse(Unit& current, const Target& target, const OpenSettings& settings) {
    if (target.kind != current.connection.kind) fail(msg::different_connection_kind);
    change_settings(current, settings);
}

int close_current(int number, const Unit& current) {
    std::string closed_name;
    return disconnect_unit(number, current.connection.default_close, closed_name);
}

// A unit record with its handle, not in the table yet.
struct OpenedUnit {
    int slot;
    std::unique_ptr<Unit> unit;
    OpenedHandle handle;
    std::string name;
};

// Step 3, open: a free slot and a record for the unit, then the file or
// device.
OpenedUnit open_target(const Target& target, const OpenSettings& settings) {
    const int slot = free_slot();
    if (slot < 0) fail(msg::no_free_unit);
    OpenedUnit opened{slot, new_unit(buffer_size_of(settings, target.device != Device::none)), {}, target.name};
    if (target.scratch) {
        plat::OpenedFile file = plat::create_scratch_file(opened.name);
        if (file.error != plat::FileError::none) fail_open(file);
        opened.handle = OpenedHandle{file.handle, settings.action.value_or(Action::read_write), true};
    } else if (target.device != Device::none) {
        opened.handle = open_device(target.device, settings.action);
    } else {
        opened.handle = open_named_file(target.name, settings.status, settings.action);
    }
    return opened;
}

// Step 4, install: the unit record filled in and put in its slot.
void install(int number, const Target& target, OpenedUnit opened, const OpenSettings& settings) {
    Unit& unit = *opened.unit;
    unit.number = number;
    unit.connection.name = opened.name;
    if (target.device == Device::console) {
        unit.connection.in_handle = console_input_unit().connection.in_handle;
        unit.connection.out_handle = console_output_unit().connection.out_handle;
    } else {
        unit.connection.in_handle = opened.handle.handle;
        unit.connection.out_handle = opened.handle.handle;
    }
    unit.connection.kind = target.kind;
    unit.positioned_for_writing = opened.handle.created;
    unit.connection.delete_on_close = target.scratch;
    unit.connection.default_close = target.scratch ? CloseStatus::remove : CloseStatus::keep;
    unit.connection.recl = settings.recl;
    unit.connection.action = opened.handle.action;
    unit.connection.share = settings.share;
    change_settings(unit, settings);

    if (settings.at_end && target.device == Device::none) {
        long long size = plat::file_size(opened.handle.handle);
        if (size > 0 && plat::seek_to(opened.handle.handle, size)) {
            unit.buffer.file_offset = size;
            unit.buffer.whole_records_end = size;
            unit.positioned_for_writing = true;
        }
    }
    put_in_slot(opened.slot, std::move(opened.unit));
}

// The open statement's work, step by step.
OpenResult connect(int number, const OpenSpecifiers& specifiers) {
    OpenResult result;
    if (specifiers.file.present()) result.name = file_name_from_text(specifiers.file.text, specifiers.file.length);
    try {
        const ResolvedOpen resolved = resolve_open_specifiers(specifiers);
        if (resolved.error) fail(resolved.error);
        const OpenSettings& settings = resolved.settings;
        Unit* current = find_connected(number);
        if (!specifiers.file.present() && current) {
            // No name: the unit's own connection, with new settings.
            result.name = current->connection.name;
            const bool other_kind = settings.kind != current->connection.kind;
            if (other_kind && current->connection.kind != UnitKind::console) fail(msg::different_connection_kind);
            change_settings(*current, settings);
            return result;
        }
        const Target target = resolve_name(number, settings, result.name);
        result.name = target.name;
        if (current && same_connection(*current, target.device, target.identity)) {
            reuse(*current, target, settings);
            return result;
        }
        if (current) {
            std::string current_name = current->connection.name;  // the record goes with the close
            if (int error = close_current(number, *current)) return {error, {}, std::move(current_name)};
        }
        OpenedUnit opened = open_target(target, settings);
        result.name = opened.name;
        install(number, target, std::move(opened), settings);
    } catch (const IoFailure& failure) {
        result.error = failure.message_number;
        result.reason = failure.detail;
    }
    return result;
}

}  // namespace

int open_unit(int number, const OpenSpecifiers& specifiers, int flags) {
    if (number < -32767 || number > 32767) return msg::bad_unit_number;
    const OpenResult result = connect(number, specifiers);
    if (result.error == 0 || (flags & return_errors_flag)) return result.error;
    // The file in the user's terms: its name as given, and why the system
    // refused it when it said so.
    std::string detail = ": \"" + result.name + "\"";
    if (!result.reason.empty()) detail += " (" + result.reason + ")";
    rt::raise_error(result.error, rt::Kind::open, result.name, detail);
}

}  // namespace io
