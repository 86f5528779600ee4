// The texts of the run-time error messages, one per message number.
#include <algorithm>
#include <iterator>

#include "runtime/messages.hpp"

namespace rt {

namespace {

struct Message {
    int number;
    std::string_view text;
};

// Sorted by number.
constexpr Message messages[] = {
    {msg::statements_nested_too_deeply, "I/O statements nested too deeply"},
    {msg::integer_out_of_range, "integer out of range: expected a whole number from -2147483648 to 2147483647"},
    {msg::invalid_integer, "invalid integer: expected a whole number, such as 10"},
    {msg::real_out_of_range, "real value out of range: expected a number of size up to about 1.7977E+308, the largest real"},
    {msg::invalid_real, "invalid real: expected a number such as 0.001 or 1e-6, with a decimal point (a comma separates values)"},
    {msg::formatted_on_unformatted, "formatted I/O not allowed on an unformatted unit"},
    {msg::character_needs_a, "A edit descriptor expected for CHARACTER item"},
    {msg::real_needs_real_descriptor, "E, F, D or G edit descriptor expected for REAL item"},
    {msg::integer_needs_i, "I edit descriptor expected for INTEGER item"},
    {msg::logical_needs_l, "L edit descriptor expected for LOGICAL item"},
    {msg::different_connection_kind, "the file is already open with a different kind of connection"},
    {msg::focus_not_allowed, "focus setting not allowed on a console without windows"},
    {msg::title_not_allowed, "title not allowed on a console without windows"},
    {msg::keep_scratch, "KEEP not allowed for a scratch file"},
    {msg::scratch_with_file, "SCRATCH not allowed together with a file name"},
    {msg::second_radix_mark, "more than one # in an integer value: expected a whole number, such as 10 or 16#1F"},
    {msg::radix_out_of_range, "radix out of range: the number before # must be from 2 to 36"},
    {msg::bad_status, "invalid STATUS value"},
    {msg::bad_mode, "invalid MODE value"},
    {msg::bad_access, "invalid ACCESS value"},
    {msg::bad_blank, "invalid BLANK value"},
    {msg::bad_form, "invalid FORM value"},
    {msg::bad_share, "invalid SHARE value"},
    {msg::recl_required, "RECL required for direct access"},
    {msg::bad_unit_number, "invalid unit number"},
    {msg::bad_recl, "invalid RECL value"},
    {msg::array_already_allocated, "array already allocated"},
    {msg::delete_refused, "file cannot be deleted: access denied"},
    {msg::console_line_too_long, "console line longer than 130 characters: type at most 130 characters before Enter"},
    {msg::name_refused, "file name or request refused"},
    {msg::connected_elsewhere, "file already connected to another unit"},
    {msg::access_denied, "access denied"},
    {msg::file_exists, "file already exists"},
    {msg::file_not_found, "file not found"},
    {msg::too_many_open_files, "too many open files"},
    {msg::no_free_unit, "too many units connected"},
    {msg::write_refused, "write refused: access denied"},
    {msg::no_space, "write failed: no space left on device, or the file size limit reached"},
    {msg::write_failed, "write failed"},
    {msg::open_failed, "file could not be created or opened"},
    {msg::unsupported_file_kind, "pipe, socket or other special file, which cannot take a report"},
    {msg::read_failure, "read failure on standard input"},
    {msg::end_of_file, "end of input: the program was still waiting for an answer"},
    {msg::repeat_count_zero, "repeat count of zero: a repeat count such as 2* must be 1 or more"},
    {msg::second_repeat_count, "more than one repeat count for a value: write a count such as 2* once"},
    {msg::value_form, "quoted or parenthesised value where a number was expected: type the number alone"},
    {msg::value_too_long, "value longer than 260 characters"},
    {msg::field_too_wide, "numeric field wider than the record"},
    {msg::no_memory, "out of memory"},
    {msg::no_memory_for_character, "out of memory for a character value"},
    {msg::array_refused, "array cannot be allocated: out of memory"},
    {msg::array_not_allocated, "array not allocated"},
    {msg::bad_position, "invalid POSITION value"},
    {msg::bad_action, "invalid ACTION value"},
    {msg::delim_unformatted, "DELIM not allowed for unformatted files"},
    {msg::bad_delim, "invalid DELIM value"},
    {msg::pad_unformatted, "PAD not allowed for unformatted files"},
    {msg::bad_pad, "invalid PAD value"},
    {msg::bad_carriage_control, "invalid CARRIAGECONTROL value"},
    {msg::format_number_missing, "number missing in format"},
    {msg::format_not_parenthesised, "format does not begin with ("},
    {msg::format_zero_position_or_bare_sign, "zero position or sign without P in format"},
    {msg::format_repeat_not_allowed, "repeat count not allowed for this edit descriptor"},
    {msg::format_count_missing, "number missing before H or P in format"},
    {msg::format_too_deeply_nested, "groups nested too deeply in format"},
    {msg::format_point_missing, "decimal point missing in format"},
    {msg::format_text_not_closed, "text not closed in format"},
    {msg::format_misplaced, "unexpected character in format"},
    {msg::format_digits_exceed_width, "minimum digits greater than the field width"},
    {msg::format_number_too_large, "number too large in format"},
    {msg::bad_advance, "invalid ADVANCE value"},
};

static_assert(std::is_sorted(std::begin(messages), std::end(messages),
                             [](const Message& a, const Message& b) { return a.number < b.number; }));

}  // namespace

std::string_view message_text(int message_number) {
    auto found = std::lower_bound(std::begin(messages), std::end(messages), message_number,
                                  [](const Message& m, int n) { return m.number < n; });
    if (found == std::end(messages) || found->number != message_number) return {};
    return found->text;
}

}  // namespace rt
