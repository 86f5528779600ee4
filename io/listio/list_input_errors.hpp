#pragma once
// Message numbers of the errors of list-directed input (report number 6000
// plus the message number).
namespace io {

constexpr int error_integer_range = 100;      // integer value out of range
constexpr int error_invalid_integer = 101;    // invalid character in an integer value
constexpr int error_real_range = 102;         // real value too large for a double
constexpr int error_invalid_real = 103;       // invalid real value
constexpr int error_second_radix_mark = 302;  // a second "#" in an integer value
constexpr int error_radix_range = 303;        // radix outside 2 to 36
constexpr int error_console_line_long = 407;  // console line longer than the record buffer allows
constexpr int error_read_failure = 500;       // read failure on standard input
constexpr int error_end_of_file = 501;        // end of file on standard input
constexpr int error_repeat_zero = 502;        // repeat count 0
constexpr int error_second_repeat = 503;      // a second repeat count for one value
constexpr int error_value_form = 504;         // quoted or parenthesised value for a number
constexpr int error_value_too_long = 505;     // a value longer than the value work area

}  // namespace io
