#pragma once
// The catalogue of run-time error messages of the I/O layer and the array
// creation: each message number (the report number is 6000 plus it) has a
// name here and its text beside it in messages.cpp.
#include <string_view>

namespace rt::msg {

inline constexpr int statements_nested_too_deeply = 98;
inline constexpr int integer_out_of_range = 100;
inline constexpr int invalid_integer = 101;
inline constexpr int real_out_of_range = 102;
inline constexpr int invalid_real = 103;
inline constexpr int formatted_on_unformatted = 200;
inline constexpr int character_needs_a = 205;
inline constexpr int real_needs_real_descriptor = 206;
inline constexpr int integer_needs_i = 207;
inline constexpr int logical_needs_l = 208;
inline constexpr int different_connection_kind = 209;
inline constexpr int focus_not_allowed = 211;
inline constexpr int title_not_allowed = 213;
inline constexpr int keep_scratch = 300;
inline constexpr int scratch_with_file = 301;
inline constexpr int second_radix_mark = 302;
inline constexpr int radix_out_of_range = 303;
inline constexpr int bad_status = 304;
inline constexpr int bad_mode = 305;
inline constexpr int bad_access = 306;
inline constexpr int bad_blank = 307;
inline constexpr int bad_form = 308;
inline constexpr int bad_share = 309;
inline constexpr int recl_required = 311;
inline constexpr int bad_unit_number = 314;
inline constexpr int bad_recl = 315;
inline constexpr int array_already_allocated = 316;
inline constexpr int delete_refused = 404;
inline constexpr int console_line_too_long = 407;
inline constexpr int name_refused = 412;
inline constexpr int connected_elsewhere = 413;
inline constexpr int access_denied = 414;
inline constexpr int file_exists = 415;
inline constexpr int file_not_found = 416;
inline constexpr int too_many_open_files = 417;
inline constexpr int no_free_unit = 418;
inline constexpr int write_refused = 421;
inline constexpr int no_space = 422;
inline constexpr int write_failed = 423;
inline constexpr int open_failed = 424;
inline constexpr int unsupported_file_kind = 425;
inline constexpr int read_failure = 500;
inline constexpr int end_of_file = 501;
inline constexpr int repeat_count_zero = 502;
inline constexpr int second_repeat_count = 503;
inline constexpr int value_form = 504;
inline constexpr int value_too_long = 505;
inline constexpr int field_too_wide = 602;
inline constexpr int no_memory = 700;
inline constexpr int no_memory_for_character = 717;
inline constexpr int array_refused = 772;
inline constexpr int array_not_allocated = 776;
inline constexpr int bad_position = 793;
inline constexpr int bad_action = 794;
inline constexpr int delim_unformatted = 795;
inline constexpr int bad_delim = 796;
inline constexpr int pad_unformatted = 797;
inline constexpr int bad_pad = 798;
inline constexpr int bad_carriage_control = 799;
inline constexpr int format_number_missing = 980;
inline constexpr int format_not_parenthesised = 981;
inline constexpr int format_zero_position_or_bare_sign = 982;
inline constexpr int format_repeat_not_allowed = 983;
inline constexpr int format_count_missing = 984;
inline constexpr int format_too_deeply_nested = 986;
inline constexpr int format_point_missing = 987;
inline constexpr int format_text_not_closed = 988;
inline constexpr int format_misplaced = 989;
inline constexpr int format_digits_exceed_width = 990;
inline constexpr int format_number_too_large = 991;
inline constexpr int bad_advance = 999;

}  // namespace rt::msg

namespace rt {

// The text of a message number; empty when the number has no text.
std::string_view message_text(int message_number);

}  // namespace rt
