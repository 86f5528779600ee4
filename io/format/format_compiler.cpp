// The format compiler: a format text becomes the byte list of descriptor
// entries that the record writer walks. Syntax errors do not stop the
// statement here; they become an error entry that ends the list and is raised
// only when the writer reaches it.
#include <cstdint>
#include <cstring>
#include <limits>

#include "io/format/format_compiler.hpp"
#include "io/format/format_entries.hpp"

namespace io {

namespace {

using namespace format_entries;

// What the parsing steps return: ok, or the number of the error entry that
// ends the list (format_entries::ErrorNumber).
constexpr int ok = 0;

constexpr int max_number_digits = 16;
constexpr std::size_t max_reversion_distance = 0xFFFF;

constexpr unsigned char upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }
constexpr bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

enum class Previous { open_paren, comma, descriptor };

struct Compiler {
    const unsigned char* text;
    std::size_t end;
    std::size_t pos = 0;
    std::vector<std::uint8_t>& out;
    int depth = 0;                  // inner groups open
    std::size_t reversion = 0;      // entry offset of the reversion point
    bool reversion_useful = false;  // something after it advances the format
    Previous previous = Previous::open_paren;

    bool at_end() const { return pos >= end; }
    unsigned char current() const { return at_end() ? 0 : upper(text[pos]); }

    // Blanks and tabs outside quoted text carry no meaning.
    void skip_blanks() {
        while (pos < end && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    }
    bool digit_follows() {
        skip_blanks();
        return !at_end() && is_digit(text[pos]);
    }

    // A run of digits, blanks allowed between them; digits after the 16th
    // are ignored.
    int read_number(std::int32_t& value) {
        std::int64_t accumulated = 0;
        int digits = 0;
        while (digit_follows()) {
            if (digits < max_number_digits) accumulated = accumulated * 10 + (text[pos] - '0');
            ++digits;
            ++pos;
        }
        if (accumulated > std::numeric_limits<std::int32_t>::max()) return number_too_large;
        value = static_cast<std::int32_t>(accumulated);
        return ok;
    }
    int read_required_number(std::int32_t& value) {
        if (!digit_follows()) return number_missing;
        return read_number(value);
    }

    void put(const Entry& entry) { write_entry(out, entry); }

    void put_error(int number) { put({.kind = error, .value16 = static_cast<std::uint16_t>(number)}); }

    // Quoted text: two delimiters in a row stand for one; every other byte,
    // tab and bytes 128-255 included, is copied as it is.
    int quoted_text() {
        const unsigned char delimiter = text[pos++];
        std::size_t scan = pos;
        std::int64_t length = 0;
        for (;;) {
            if (scan >= end) return text_not_closed;
            if (text[scan] == delimiter) {
                if (scan + 1 < end && text[scan + 1] == delimiter) {
                    scan += 2;
                    ++length;
                    continue;
                }
                break;
            }
            ++scan;
            ++length;
        }
        if (length > std::numeric_limits<std::int32_t>::max()) return number_too_large;
        put({.kind = format_entries::text, .has_repeat = true, .repeat = static_cast<std::int32_t>(length)});
        while (pos < scan) {
            out.push_back(text[pos]);
            pos += (text[pos] == delimiter) ? 2 : 1;
        }
        pos = scan + 1;
        return ok;
    }

    // nHtext: the next n bytes, whatever they are.
    int hollerith(std::int32_t count) {
        ++pos;
        if (static_cast<std::size_t>(count) > end - pos) return text_not_closed;
        put({.kind = format_entries::text, .has_repeat = true, .repeat = count});
        out.insert(out.end(), text + pos, text + pos + count);
        pos += static_cast<std::size_t>(count);
        return ok;
    }

    // An entry with the number in front of its descriptor as the repeat count.
    static Entry counted(Kind kind, bool has_number, std::int32_t number, int sub_kind = 0) {
        return {.kind = kind, .sub_kind = sub_kind, .has_repeat = has_number, .repeat = number};
    }

    // Iw, Iw.m and the other integer-shaped forms.
    int width_and_digits(Entry entry, int m_error) {
        if (int err = read_required_number(entry.w)) return err;
        entry.param_count = 1;
        skip_blanks();
        if (current() == '.') {
            ++pos;
            if (int err = read_required_number(entry.d)) return err;
            if (entry.d > entry.w) return m_error;
            entry.param_count = 2;
        }
        put(entry);
        return ok;
    }

    // Ew.d, Ew.dEe and the other real forms.
    int width_point_digits(Entry entry, bool exponent_allowed) {
        if (int err = read_required_number(entry.w)) return err;
        skip_blanks();
        if (current() != '.') return point_missing;
        ++pos;
        if (int err = read_required_number(entry.d)) return err;
        entry.param_count = 2;
        if (exponent_allowed) {
            skip_blanks();
            if (current() == 'E') {
                ++pos;
                if (int err = read_required_number(entry.e)) return err;
                entry.param_count = 3;
            }
        }
        put(entry);
        return ok;
    }

    // kP with an explicit sign in front of k.
    int signed_scale_factor() {
        const bool negative = text[pos] == '-';
        ++pos;
        std::int32_t k = 0;
        if (int err = read_required_number(k)) return err;
        skip_blanks();
        if (current() != 'P') return zero_position_or_bare_sign;
        ++pos;
        put({.kind = scale, .has_repeat = true, .repeat = negative ? -k : k});
        return ok;
    }

    int position(bool has_repeat) {
        if (has_repeat) return repeat_not_allowed;
        ++pos;
        skip_blanks();
        Kind kind = position_absolute;
        if (current() == 'L') {
            kind = position_left;
            ++pos;
        } else if (current() == 'R') {
            kind = position_right;
            ++pos;
        }
        std::int32_t n = 0;
        if (int err = read_required_number(n)) return err;
        if (n == 0) return zero_position_or_bare_sign;
        put({.kind = kind, .param_count = 1, .w = n});
        if (kind == position_right) reversion_useful = true;
        return ok;
    }

    // One descriptor, with the number in front of it if any. The group
    // opening is handled by the caller.
    int descriptor(bool has_number, std::int32_t number) {
        const unsigned char c = current();
        switch (c) {
            case '\'':
            case '"':
                if (has_number) return repeat_not_allowed;
                reversion_useful = true;
                return quoted_text();
            case 'H':
                if (!has_number) return count_missing;
                reversion_useful = true;
                return hollerith(number);
            case 'P':
                if (!has_number) return count_missing;
                ++pos;
                put({.kind = scale, .has_repeat = true, .repeat = number});
                reversion_useful = true;
                return ok;
            case 'X':
                if (has_number && number == 0) return zero_position_or_bare_sign;
                ++pos;
                put({.kind = position_right, .param_count = 1, .w = has_number ? number : 1});
                reversion_useful = true;
                return ok;
            case '/':
                ++pos;
                put(counted(record_end, has_number, number));
                reversion_useful = true;
                return ok;
            case ')':  // only reached with a number in front of it
                return repeat_not_allowed;
            case ':':
            case '$':
            case '\\':
                if (has_number) return repeat_not_allowed;
                ++pos;
                put({.kind = c == ':' ? colon : no_record_end});
                return ok;
            case 'T':
                return position(has_number);
            case 'S': {
                if (has_number) return repeat_not_allowed;
                ++pos;
                skip_blanks();
                Kind kind = sign_default;
                if (current() == 'P') {
                    kind = sign_plus;
                    ++pos;
                } else if (current() == 'S') {
                    ++pos;
                }
                put({.kind = kind});
                return ok;
            }
            case 'B': {
                ++pos;
                skip_blanks();
                if (current() == 'N' || current() == 'Z') {
                    if (has_number) return repeat_not_allowed;
                    put({.kind = current() == 'N' ? blank_null : blank_zero});
                    ++pos;
                    return ok;
                }
                reversion_useful = true;
                return width_and_digits(counted(prefixed, has_number, number, sub_b), b_digits_exceed_width);
            }
            default:
                break;
        }
        // The data descriptors.
        reversion_useful = true;
        ++pos;
        switch (c) {
            case 'A': {
                Entry entry = counted(edit_a, has_number, number);
                if (digit_follows()) {
                    if (int err = read_number(entry.w)) return err;
                    entry.param_count = 1;
                }
                put(entry);
                return ok;
            }
            case 'L': {
                Entry entry = counted(edit_l, has_number, number);
                if (int err = read_required_number(entry.w)) return err;
                entry.param_count = 1;
                put(entry);
                return ok;
            }
            case 'I':
                return width_and_digits(counted(edit_i, has_number, number), i_digits_exceed_width);
            case 'Z':
                return width_and_digits(counted(edit_z, has_number, number), z_digits_exceed_width);
            case 'O':
                return width_and_digits(counted(prefixed, has_number, number, sub_o), o_digits_exceed_width);
            case 'E':
                skip_blanks();
                if (current() == 'N' || current() == 'S') {
                    const int sub_kind = current() == 'N' ? sub_en : sub_es;
                    ++pos;
                    return width_point_digits(counted(prefixed, has_number, number, sub_kind), true);
                }
                return width_point_digits(counted(edit_e, has_number, number), true);
            case 'D':
                return width_point_digits(counted(edit_d, has_number, number), false);
            case 'F':
                return width_point_digits(counted(edit_f, has_number, number), false);
            case 'G':
                return width_point_digits(counted(edit_g, has_number, number), true);
            case 'Q':
                put(counted(prefixed, has_number, number, sub_q));
                return ok;
            default:
                return misplaced;
        }
    }

    // The outermost ): the format end with its backward distance to the
    // reversion point, 0 when nothing after that point could serve an item
    // or advance the record.
    int finish() {
        const std::size_t distance = reversion_useful ? out.size() - reversion : 0;
        if (distance > max_reversion_distance) return number_too_large;
        put({.kind = format_end, .value16 = static_cast<std::uint16_t>(distance)});
        return ok;
    }

    // Reads descriptors up to the outermost ); returns the error that ends
    // the list, or ok.
    int body() {
        for (;;) {
            skip_blanks();
            if (at_end()) return misplaced;
            const unsigned char c = current();
            if (c == ',') {
                if (previous != Previous::descriptor) return misplaced;
                previous = Previous::comma;
                ++pos;
                continue;
            }
            if (c == ')') {
                ++pos;
                if (depth == 0) return finish();
                put({.kind = group_end});
                --depth;
                previous = Previous::descriptor;
                continue;
            }
            if (c == '+' || c == '-') {
                if (int err = signed_scale_factor()) return err;
                reversion_useful = true;
                previous = Previous::descriptor;
                continue;
            }
            bool has_number = false;
            std::int32_t number = 0;
            if (is_digit(c)) {
                if (int err = read_number(number)) return err;
                has_number = true;
                skip_blanks();
                if (at_end()) return misplaced;
            }
            if (current() == '(') {
                if (depth + 1 > max_group_depth) return too_deeply_nested;
                if (depth == 0) {
                    reversion = out.size();
                    reversion_useful = false;
                } else {
                    reversion_useful = true;
                }
                put(counted(group_start, has_number, number));
                ++depth;
                ++pos;
                previous = Previous::open_paren;
                continue;
            }
            if (int err = descriptor(has_number, number)) return err;
            previous = Previous::descriptor;
        }
    }

    void run() {
        skip_blanks();
        if (current() != '(') {
            put_error(not_parenthesised);
            return;
        }
        ++pos;
        if (int err = body()) put_error(err);
    }
};

}  // namespace

void compile_format(const char* text, int length, CompiledFormat& out) {
    std::size_t extent = 0;
    if (text != nullptr) {
        if (length == -1) {
            extent = std::strlen(text);
        } else if (length > 0) {
            extent = static_cast<std::size_t>(length);
        }
    }
    out.bytes.clear();
    out.bytes.reserve(extent + extent / 50 + 3);
    Compiler compiler{reinterpret_cast<const unsigned char*>(text), extent, 0, out.bytes};
    compiler.run();
}

}  // namespace io
