// The console service: console records with their first-character carriage
// control and owed line end, and the console reads of standard input.
#include "io/units/console.hpp"

#include <cstring>
#include <string_view>

#include "io/units/failure.hpp"
#include "io/units/record_output.hpp"
#include "io/units/unit_table.hpp"
#include "platform/console.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

constexpr char end_of_file_mark = 0x1A;  // Ctrl+Z

// A terminal delivers one typed line per read. A pipe or file delivers
// whatever its writer has passed on so far, so it is read on until the
// buffer is full, a line is complete or the input ends: where the buffer
// ends must not depend on how the writer happened to split its bytes.
long read_record_bytes(int handle, char* buffer, bool console) {
    long count = 0;
    do {
        const long n = plat::read_some(handle, buffer + count, static_cast<std::size_t>(console_buffer_size - count));
        if (n < 0) return -1;
        if (n == 0) break;
        count += n;
    } while (!console && count < console_buffer_size && buffer[count - 1] != '\n');
    return count;
}

std::string_view line_end_for(char carriage_control, bool owed) {
    switch (carriage_control) {
        case '0': return owed ? std::string_view("\r\n\r\n") : std::string_view("\r\n");
        case '1': return std::string_view("\r\n\f\r \r", 6);
        case '+': return "\r";
        default: return owed ? "\r\n" : "";
    }
}

}  // namespace

Status send_console_record(Unit& unit, const char* record, std::size_t length) {
    const char carriage_control = length > 0 ? record[0] : ' ';
    std::string_view prefix = line_end_for(carriage_control, unit.record_written);
    const char* text = length > 0 ? record + 1 : record;
    std::size_t remaining = length > 0 ? length - 1 : 0;

    // The line end and the record's text go to the OS together; a record
    // longer than the console buffer goes in pieces.
    char piece[6 + console_buffer_size];
    std::memcpy(piece, prefix.data(), prefix.size());
    std::size_t used = prefix.size();
    do {
        std::size_t part = remaining < console_buffer_size ? remaining : console_buffer_size;
        std::memcpy(piece + used, text, part);
        if (Status status = write_through(unit, piece, used + part); status.failed()) return status;
        text += part;
        remaining -= part;
        used = 0;
    } while (remaining > 0);
    unit.record_written = true;
    return done;
}

void settle_console_line(Unit& unit) {
    if (!unit.record_written) return;
    unit.record_written = false;
    if (unit.connection.out_handle >= 0) plat::write_all(unit.connection.out_handle, "\r\n", 2);
}

int refill(Unit& unit, bool console) {
    char* buffer = unit.buffer.bytes.get();
    // Input that ends without a line end at the buffer's edge still ends its
    // last line: the end of input shows first as the missing LF.
    const bool line_open = unit.buffer.last_valid >= 0 && buffer[unit.buffer.last_valid] != '\n';

    const long n = read_record_bytes(unit.connection.in_handle, buffer, console);
    unit.buffer.discard();
    if (n < 0) fail(rt::msg::read_failure);
    if (n == 0) {
        if (line_open) {
            buffer[0] = '\n';
            unit.buffer.last_valid = 0;
            unit.buffer.position = 1;
            return '\n';
        }
        unit.at_eof = true;
        fail(rt::msg::end_of_file);
    }
    const int count = static_cast<int>(n);
    const bool ends_line = buffer[count - 1] == '\n';
    if (count == console_buffer_size && !ends_line && console) fail(rt::msg::console_line_too_long);
    // Ctrl+Z before the line end, whether it is CR LF or LF alone.
    const bool end_of_file_line = (count >= 3 && buffer[count - 3] == end_of_file_mark) ||
                                  (count >= 2 && ends_line && buffer[count - 2] == end_of_file_mark);
    if (end_of_file_line) {
        unit.at_eof = true;
        fail(rt::msg::end_of_file);
    }
    unit.buffer.last_valid = count - 1;
    if (count < console_buffer_size && !ends_line) buffer[++unit.buffer.last_valid] = '\n';
    unit.buffer.position = 1;
    return static_cast<unsigned char>(buffer[0]);
}

int next_character(Unit& unit, bool console) {
    if (unit.buffer.used_up()) return refill(unit, console);
    return static_cast<unsigned char>(unit.buffer.bytes[unit.buffer.position++]);
}

void step_back(Unit& unit) {
    if (unit.buffer.position > 0) --unit.buffer.position;
}

void take_next_record(Unit& unit, bool console) {
    if (console) {
        if (unit.buffer.position == 0 && unit.buffer.last_valid < 0) refill(unit, console);
        unit.buffer.discard();
        return;
    }
    while (next_character(unit, console) != '\n') {
    }
}

int read_console_line(char* line, int capacity) {
    Unit& unit = console_input_unit();
    const bool console = plat::is_console(unit.connection.in_handle);
    int length = 0;
    bool carriage_return = false;  // held back: dropped when the LF follows
    // A line that outgrows the room is refused as it passes it, so that input
    // without line ends cannot keep the question waiting.
    auto keep = [&](char c) {
        if (length == capacity) fail(rt::msg::value_too_long);
        line[length++] = c;
    };
    for (;;) {
        const int c = next_character(unit, console);
        if (c == '\n') break;
        if (carriage_return) keep('\r');
        carriage_return = c == '\r';
        if (!carriage_return) keep(static_cast<char>(c));
    }
    return length;
}

}  // namespace io
