#pragma once
// The queued output statement shared by the format-directed record writer
// and the list-directed console writer.
#include <cstdint>
#include <string>
#include <vector>

#include "io/format/compiled_format.hpp"
#include "io/units/unit.hpp"

namespace io {

enum class ItemType : std::uint8_t { integer4 = 3, character = 10, real8 = 12 };

struct QueuedItem {
    ItemType type;
    std::int32_t integer = 0;
    double real = 0.0;
    std::uint32_t text_offset = 0;  // into QueuedStatement::texts
    std::uint32_t text_length = 0;
};

struct QueuedStatement {
    bool has_format = false;
    bool default_unit = false;
    bool non_advancing = false;
    bool return_errors = false;
    int unit = 0;
    int begin_error = 0;  // an error of the begin call, raised at the end call
    CompiledFormat format;
    std::string format_text;  // the text `format` was compiled from
    int format_length = 0;    // and the length it was given with
    std::vector<QueuedItem> items;
    std::string texts;  // copies of the character items

    const char* text_of(const QueuedItem& item) const { return texts.data() + item.text_offset; }
};

// Performs a format-directed statement on a file or console unit.
void format_write(Unit& unit, const QueuedStatement& statement);
// Performs a list-directed statement.
void list_write(Unit& unit, const QueuedStatement& statement);

}  // namespace io
