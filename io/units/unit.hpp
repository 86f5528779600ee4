#pragma once
// The unit record, the unit table and the pre-connected console.
#include <climits>
#include <cstddef>
#include <memory>
#include <string>

namespace io {

constexpr int default_output_unit = -34000;
constexpr int default_input_unit = -33000;
// How the console unit is held internally; also marks a free table slot.
constexpr int console_unit_number = INT_MIN;
constexpr int unit_slots = 61;
constexpr int console_buffer_size = 132;
// A file unit's buffer when no BLOCKSIZE is given: the bytes the OS has not
// seen yet are never more than this.
constexpr int file_buffer_size = 1024;

enum class UnitKind : int {
    internal = 0,
    console = 1,  // console or device
    formatted_direct = 2,
    formatted_sequential = 3,
    binary_direct = 4,
    binary_sequential = 5,
    unformatted_direct = 6,
    unformatted_sequential = 7,
};

enum class Action : int { read_write, read, write };
enum class Share : int { deny_none, compat, deny_read, deny_write, deny_read_write };
enum class CloseStatus : int { keep, remove };
enum class Delim : int { none, apostrophe, quote };
enum class Direction : int { input, output };

struct Unit {
    int number = console_unit_number;
    std::string name;
    int in_handle = -1;   // read by input statements
    int out_handle = -1;  // written by output statements
    UnitKind kind = UnitKind::console;

    bool at_eof = false;
    bool record_pending = false;          // an output record not yet passed on
    bool positioned_for_writing = false;  // cut at the write position, or created empty
    bool delete_on_close = false;
    bool blank_zero = false;

    std::unique_ptr<char[]> buffer;
    int buffer_size = 0;
    int position = 0;     // read or write position in the buffer
    int last_valid = -1;  // index of the last valid byte, -1 when empty
    long long file_offset = 0;  // file offset of the buffer's first byte
    // File offset just after the last whole record the OS has taken: a write
    // that fails part-way cuts the file back to it.
    long long whole_records_end = 0;
    // Buffer index where the current output record starts, or -1 once part
    // of the record has already been passed to the file.
    int record_start = 0;

    int recl = 1024;
    int record_number = 1;
    Action action = Action::read_write;
    Share share = Share::deny_none;
    CloseStatus default_close = CloseStatus::keep;
    Delim delim = Delim::none;
    bool pad = true;
    bool carriage_control = false;  // first character of a record is carriage control

    // Console line state.
    bool record_written = false;  // a record was sent and its line end is owed
    bool record_started = false;
    int column = 0;
};

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

// Output through the unit's buffer; a full buffer is passed to the file.
// Failures throw IoFailure (6422 no space, 6421 access refused, 6423 other).
void put_bytes(Unit& unit, const char* bytes, std::size_t count);
void put_blanks(Unit& unit, std::size_t count);
void flush_buffer(Unit& unit);
// The same without throwing: returns 0 or the failure's message number.
int flush_buffer_status(Unit& unit);
// Passes bytes straight to the unit's output handle.
void write_through(Unit& unit, const char* bytes, std::size_t count);

// Exit sequence: closes every connected unit with its default status, in
// table order.
void close_all_units();

}  // namespace io
