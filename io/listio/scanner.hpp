#pragma once
// The scanner of list-directed input: the splitting of the console's
// characters into values.
#include <cstdint>
#include <string_view>

#include "io/units/unit.hpp"

namespace io {

// The value text work area.
constexpr int value_text_capacity = 260;

enum class ValueMode : std::uint8_t { plain, parenthesised, quoted };

// Kept from one item to the next within a statement.
struct Scanner {
    Unit* unit = nullptr;
    bool console = false;  // standard input is a terminal: one typed line per read

    char separator = ',';  // what ended the previous value
    std::uint32_t repeat_pending = 0;  // compared without sign: a negative count never runs out

    char text[value_text_capacity] = {};
    int length = 0;  // characters of the value, never more than the work area
    ValueMode mode = ValueMode::plain;
    char quote = 0;
    int comma_position = -1;  // of a parenthesised value; -1 for none
    bool line_end = false;    // the last value was ended by the end of its line

    std::string_view value_text() const { return {text, static_cast<std::size_t>(length)}; }
};

// Where the characters of a quoted value go as they are read: straight into
// a character item, below its length. Null for numeric items.
struct QuotedTarget {
    char* text = nullptr;
    int length = 0;
};

// The start of a statement: separator comma, no repeat count, no line end.
void start_scanner(Scanner& scanner, Unit& unit, bool console);

// Reads one value for one element. Returns true when a pending repeat count
// gives the element the kept value again instead. Throws IoFailure.
bool scan_value(Scanner& scanner, QuotedTarget target);

}  // namespace io
