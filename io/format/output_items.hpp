#pragma once
// The items of one output statement, queued in list order by the statement
// layer and read by the record writers.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace io {

enum class ItemType : std::uint8_t { integer4 = 3, character = 10, real8 = 12 };

struct QueuedItem {
    ItemType type;
    std::int32_t integer = 0;
    double real = 0.0;
    std::uint32_t text_offset = 0;  // into QueuedItems::texts
    std::uint32_t text_length = 0;
};

// Integers and reals are kept by value, character items as copies made at
// the item call, so later changes to the variables do not show.
struct QueuedItems {
    std::vector<QueuedItem> items;
    std::string texts;  // copies of the character items

    const char* text_of(const QueuedItem& item) const { return texts.data() + item.text_offset; }

    void clear() {
        items.clear();
        texts.clear();
    }
    void add_integer(std::int32_t value) {
        QueuedItem item{ItemType::integer4};
        item.integer = value;
        items.push_back(item);
    }
    void add_real8(double value) {
        QueuedItem item{ItemType::real8};
        item.real = value;
        items.push_back(item);
    }
    void add_character(std::string_view text) {
        QueuedItem item{ItemType::character};
        item.text_offset = static_cast<std::uint32_t>(texts.size());
        item.text_length = static_cast<std::uint32_t>(text.size());
        texts.append(text);
        items.push_back(item);
    }
};

}  // namespace io
