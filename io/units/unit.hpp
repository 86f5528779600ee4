#pragma once
// The unit record: a unit's connection, its settings, its record buffer
// and its line state.
#include <climits>
#include <cstddef>
#include <memory>
#include <new>
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

// A statement flag: the statement returns its error number instead of
// ending the program with a report.
constexpr int return_errors_flag = 1;

// What a unit is connected to, fixed when it is opened.
struct Connection {
    std::string name;
    int in_handle = -1;   // read by input statements
    int out_handle = -1;  // written by output statements
    UnitKind kind = UnitKind::console;
    Action action = Action::read_write;
    Share share = Share::deny_none;
    CloseStatus default_close = CloseStatus::keep;
    bool delete_on_close = false;  // a scratch file
    int recl = 1024;

    bool console() const { return kind == UnitKind::console; }
};

// The settings that a second open of the same file may change.
struct EditSettings {
    bool blank_zero = false;
    Delim delim = Delim::none;
    bool pad = true;
    bool carriage_control = false;  // the first character of a record is carriage control
};

// The unit's record buffer and its place in the file.
struct RecordBuffer {
    std::unique_ptr<char[]> bytes;
    int size = 0;
    int position = 0;     // read or write position
    int last_valid = -1;  // index of the last valid byte read, -1 when empty
    long long file_offset = 0;  // file offset of the first byte
    // File offset just after the last whole record the OS has taken: a write
    // that fails part-way cuts the file back to it.
    long long whole_records_end = 0;

    // False when the memory is refused.
    bool allocate(int bytes_wanted) {
        bytes.reset(new (std::nothrow) char[static_cast<std::size_t>(bytes_wanted)]);
        size = bytes ? bytes_wanted : 0;
        return bytes != nullptr;
    }
    // Nothing read is left in it.
    void discard() {
        position = 0;
        last_valid = -1;
    }
    bool used_up() const { return position > last_valid; }
};

struct Unit {
    int number = console_unit_number;
    Connection connection;
    EditSettings settings;
    RecordBuffer buffer;

    bool at_eof = false;
    bool positioned_for_writing = false;  // cut at the write position, or created empty
    bool record_written = false;          // console: a record was sent and its line end is owed
};

}  // namespace io
