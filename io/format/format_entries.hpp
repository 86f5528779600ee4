#pragma once
// The entries of a compiled format: how the compiler writes them and how the
// record writer reads them back.
//
// Entry byte: bits 0-4 the kind, bit 5 a repeat count comes first, bits 6-7
// the number of further parameters (w, d, e in that order). A parameter is one
// signed byte for -120..120, otherwise the byte 127 and a 32-bit value, low
// byte first. A prefixed form has its sub-kind byte right after the entry
// byte; text has its length in the repeat slot and the bytes inline; the
// format end and an error entry carry a plain 16-bit value.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/messages.hpp"

namespace io::format_entries {

enum Kind : std::uint8_t {
    text = 2,
    scale = 3,
    edit_a = 6,
    edit_l = 7,
    edit_i = 8,
    edit_d = 9,
    edit_e = 10,
    edit_f = 11,
    edit_g = 12,
    edit_z = 13,
    group_start = 14,
    prefixed = 15,
    record_end = 18,
    colon = 19,
    sign_plus = 21,
    sign_default = 22,
    blank_null = 23,
    blank_zero = 24,
    no_record_end = 25,
    group_end = 26,
    position_absolute = 27,
    position_left = 28,
    position_right = 29,
    format_end = 30,
    error = 31,
};

// Sub-kinds of the prefixed form.
enum SubKind : std::uint8_t {
    sub_en = 1,
    sub_es = 2,
    sub_o = 3,
    sub_b = 4,
    sub_q = 5,
};

constexpr std::uint8_t kind_mask = 0x1F;
constexpr std::uint8_t repeat_flag = 0x20;
constexpr int param_count_shift = 6;
constexpr std::uint8_t long_param_marker = 127;
constexpr int short_param_limit = 120;

// Groups nest at most this deep (the outermost parentheses not counted).
constexpr int max_group_depth = 16;

// Parameter defaults when the descriptor leaves them out.
constexpr int default_w = 0;
constexpr int default_d = 1;
constexpr int default_e = 2;
constexpr int default_repeat = 0;  // once

constexpr std::uint8_t entry_byte(Kind kind, bool has_repeat, int further_params) {
    return static_cast<std::uint8_t>(kind | (has_repeat ? repeat_flag : 0) |
                                     (further_params << param_count_shift));
}

constexpr bool is_data_kind(int kind) {
    return (kind >= edit_a && kind <= edit_z) || kind == prefixed;
}

// The numbers an error entry carries: the faults the compiler finds in a
// format text. All but the m > w faults of O, B and Z are message numbers.
enum ErrorNumber : std::uint16_t {
    number_missing = rt::msg::format_number_missing,
    not_parenthesised = rt::msg::format_not_parenthesised,
    zero_position_or_bare_sign = rt::msg::format_zero_position_or_bare_sign,
    repeat_not_allowed = rt::msg::format_repeat_not_allowed,
    count_missing = rt::msg::format_count_missing,
    too_deeply_nested = rt::msg::format_too_deeply_nested,
    point_missing = rt::msg::format_point_missing,
    text_not_closed = rt::msg::format_text_not_closed,
    misplaced = rt::msg::format_misplaced,
    i_digits_exceed_width = rt::msg::format_digits_exceed_width,
    number_too_large = rt::msg::format_number_too_large,
    o_digits_exceed_width = 996,
    b_digits_exceed_width = 997,
    z_digits_exceed_width = 998,
};

// The message number of the run-time error (6000 plus it) that an error
// entry raises when the writer reaches it: its own number, with the m > w
// faults of O, B and Z reported as the one of I.
constexpr int raised_error(int entry_number) {
    switch (entry_number) {
        case o_digits_exceed_width:
        case b_digits_exceed_width:
        case z_digits_exceed_width:
            return i_digits_exceed_width;
        default:
            return entry_number;
    }
}

// One entry of the list.
struct Entry {
    int kind = 0;
    int sub_kind = 0;
    bool has_repeat = false;
    std::int32_t repeat = default_repeat;
    int param_count = 0;  // further parameters present (w, d, e)
    std::int32_t w = default_w;
    std::int32_t d = default_d;
    std::int32_t e = default_e;
    const std::uint8_t* text = nullptr;  // text entries: the bytes inline
    std::uint16_t value16 = 0;           // format end: distance; error: number

    friend bool operator==(const Entry&, const Entry&) = default;
};

// ---- Writing: each call appends to the byte list ---------------------------

void write_param(std::vector<std::uint8_t>& out, std::int32_t value);

// The entry byte, the sub-kind of a prefixed form, the repeat count when
// `has_repeat` and the first `param_count` of w, d, e; for the format end
// and an error entry the entry byte and `value16`. A text entry's bytes are
// not written here: the caller appends its `repeat` bytes after it.
void write_entry(std::vector<std::uint8_t>& out, const Entry& entry);

// ---- Reading ------------------------------------------------------------------

inline std::int32_t read_param(const std::uint8_t*& p) {
    std::uint8_t first = *p++;
    if (first != long_param_marker) return static_cast<std::int8_t>(first);
    std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    p += 4;
    return static_cast<std::int32_t>(v);
}

// Reads the entry at `p` and returns the position of the entry after it.
inline const std::uint8_t* read_entry(const std::uint8_t* p, Entry& entry) {
    const std::uint8_t head = *p++;
    entry.kind = head & kind_mask;
    entry.has_repeat = (head & repeat_flag) != 0;
    entry.param_count = head >> param_count_shift;
    entry.sub_kind = 0;
    entry.repeat = default_repeat;
    entry.w = default_w;
    entry.d = default_d;
    entry.e = default_e;
    entry.text = nullptr;
    entry.value16 = 0;
    if (entry.kind == format_end || entry.kind == error) {
        entry.value16 = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
        return p + 2;
    }
    if (entry.kind == prefixed) entry.sub_kind = *p++;
    if (entry.has_repeat) entry.repeat = read_param(p);
    if (entry.param_count >= 1) entry.w = read_param(p);
    if (entry.param_count >= 2) entry.d = read_param(p);
    if (entry.param_count >= 3) entry.e = read_param(p);
    if (entry.kind == text) {
        entry.text = p;
        p += entry.repeat;
    }
    return p;
}

}  // namespace io::format_entries
