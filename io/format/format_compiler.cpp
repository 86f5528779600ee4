// The format compiler: a format text becomes the byte list of descriptor
// entries that the record writer walks. Syntax errors do not stop the
// statement here; they become an error entry that ends the list and is raised
// only when the writer reaches it.
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "io/format/compiled_format.hpp"
#include "io/format/format_entries.hpp"
#include "io/units/failure.hpp"

namespace io {

namespace {

using namespace format_entries;

// Compile error numbers (the run-time error is 6000 plus the number; the
// m > w variants are all raised as 990).
enum CompileError : int {
    ok = 0,
    number_missing = 980,
    not_parenthesised = 981,
    zero_position_or_bare_sign = 982,
    repeat_not_allowed = 983,
    count_missing = 984,
    too_deeply_nested = 986,
    point_missing = 987,
    text_not_closed = 988,
    misplaced = 989,
    i_digits_exceed_width = 990,
    number_too_large = 991,
    o_digits_exceed_width = 996,
    b_digits_exceed_width = 997,
    z_digits_exceed_width = 998,
};

constexpr int no_memory = 700;
constexpr int max_group_depth = 16;
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

    void put_param(std::int32_t value) {
        if (value >= -short_param_limit && value <= short_param_limit) {
            out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(value)));
            return;
        }
        const auto bits = static_cast<std::uint32_t>(value);
        const std::uint8_t bytes[5] = {long_param_marker, static_cast<std::uint8_t>(bits),
                                       static_cast<std::uint8_t>(bits >> 8),
                                       static_cast<std::uint8_t>(bits >> 16),
                                       static_cast<std::uint8_t>(bits >> 24)};
        out.insert(out.end(), bytes, bytes + 5);
    }
    void put_value16(Kind kind, std::size_t value) {
        const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(value & 0xFF),
                                       static_cast<std::uint8_t>((value >> 8) & 0xFF)};
        out.insert(out.end(), bytes, bytes + 3);
    }

    // An entry with an optional repeat count and up to three parameters.
    void put_entry(Kind kind, bool has_repeat, std::int32_t repeat, int param_count = 0, std::int32_t w = 0,
                   std::int32_t d = 0, std::int32_t e = 0, int sub_kind = 0) {
        out.push_back(entry_byte(kind, has_repeat, param_count));
        if (kind == prefixed) out.push_back(static_cast<std::uint8_t>(sub_kind));
        if (has_repeat) put_param(repeat);
        if (param_count >= 1) put_param(w);
        if (param_count >= 2) put_param(d);
        if (param_count >= 3) put_param(e);
    }

    void put_error(int number) { put_value16(error, static_cast<std::size_t>(number)); }

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
        put_entry(format_entries::text, true, static_cast<std::int32_t>(length));
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
        put_entry(format_entries::text, true, count);
        out.insert(out.end(), text + pos, text + pos + count);
        pos += static_cast<std::size_t>(count);
        return ok;
    }

    // Iw, Iw.m and the other integer-shaped forms.
    int width_and_digits(Kind kind, int sub_kind, bool has_repeat, std::int32_t repeat, int m_error) {
        std::int32_t w = 0;
        if (int err = read_required_number(w)) return err;
        skip_blanks();
        if (current() != '.') {
            put_entry(kind, has_repeat, repeat, 1, w, 0, 0, sub_kind);
            return ok;
        }
        ++pos;
        std::int32_t m = 0;
        if (int err = read_required_number(m)) return err;
        if (m > w) return m_error;
        put_entry(kind, has_repeat, repeat, 2, w, m, 0, sub_kind);
        return ok;
    }

    // Ew.d, Ew.dEe and the other real forms.
    int width_point_digits(Kind kind, int sub_kind, bool has_repeat, std::int32_t repeat, bool exponent_allowed) {
        std::int32_t w = 0;
        std::int32_t d = 0;
        if (int err = read_required_number(w)) return err;
        skip_blanks();
        if (current() != '.') return point_missing;
        ++pos;
        if (int err = read_required_number(d)) return err;
        if (exponent_allowed) {
            skip_blanks();
            if (current() == 'E') {
                ++pos;
                std::int32_t e = 0;
                if (int err = read_required_number(e)) return err;
                put_entry(kind, has_repeat, repeat, 3, w, d, e, sub_kind);
                return ok;
            }
        }
        put_entry(kind, has_repeat, repeat, 2, w, d, 0, sub_kind);
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
        put_entry(scale, true, negative ? -k : k);
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
        put_entry(kind, false, 0, 1, n);
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
                put_entry(scale, true, number);
                reversion_useful = true;
                return ok;
            case 'X':
                if (has_number && number == 0) return zero_position_or_bare_sign;
                ++pos;
                put_entry(position_right, false, 0, 1, has_number ? number : 1);
                reversion_useful = true;
                return ok;
            case '/':
                ++pos;
                put_entry(record_end, has_number, number);
                reversion_useful = true;
                return ok;
            case ')':  // only reached with a number in front of it
                return repeat_not_allowed;
            case ':':
            case '$':
            case '\\':
                if (has_number) return repeat_not_allowed;
                ++pos;
                put_entry(c == ':' ? colon : no_record_end, false, 0);
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
                put_entry(kind, false, 0);
                return ok;
            }
            case 'B': {
                ++pos;
                skip_blanks();
                if (current() == 'N' || current() == 'Z') {
                    if (has_number) return repeat_not_allowed;
                    put_entry(current() == 'N' ? blank_null : blank_zero, false, 0);
                    ++pos;
                    return ok;
                }
                reversion_useful = true;
                return width_and_digits(prefixed, sub_b, has_number, number, b_digits_exceed_width);
            }
            default:
                break;
        }
        // The data descriptors.
        reversion_useful = true;
        ++pos;
        switch (c) {
            case 'A':
                if (digit_follows()) {
                    std::int32_t w = 0;
                    if (int err = read_number(w)) return err;
                    put_entry(edit_a, has_number, number, 1, w);
                } else {
                    put_entry(edit_a, has_number, number);
                }
                return ok;
            case 'L': {
                std::int32_t w = 0;
                if (int err = read_required_number(w)) return err;
                put_entry(edit_l, has_number, number, 1, w);
                return ok;
            }
            case 'I':
                return width_and_digits(edit_i, 0, has_number, number, i_digits_exceed_width);
            case 'Z':
                return width_and_digits(edit_z, 0, has_number, number, z_digits_exceed_width);
            case 'O':
                return width_and_digits(prefixed, sub_o, has_number, number, o_digits_exceed_width);
            case 'E':
                skip_blanks();
                if (current() == 'N' || current() == 'S') {
                    const int sub_kind = current() == 'N' ? sub_en : sub_es;
                    ++pos;
                    return width_point_digits(prefixed, sub_kind, has_number, number, true);
                }
                return width_point_digits(edit_e, 0, has_number, number, true);
            case 'D':
                return width_point_digits(edit_d, 0, has_number, number, false);
            case 'F':
                return width_point_digits(edit_f, 0, has_number, number, false);
            case 'G':
                return width_point_digits(edit_g, 0, has_number, number, true);
            case 'Q':
                put_entry(prefixed, has_number, number, 0, 0, 0, 0, sub_q);
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
        put_value16(format_end, distance);
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
                put_entry(group_end, false, 0);
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
                put_entry(group_start, has_number, number);
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
    try {
        out.bytes.reserve(extent + extent / 50 + 3);
        Compiler compiler{reinterpret_cast<const unsigned char*>(text), extent, 0, out.bytes};
        compiler.run();
    } catch (const std::bad_alloc&) {
        out.bytes.clear();
        fail(no_memory);
    } catch (const std::length_error&) {
        out.bytes.clear();
        fail(no_memory);
    }
}

}  // namespace io
