#pragma once
// The items of one output statement, queued in list order by the statement
// layer and read by the record writers.
#include <cstddef>
#include <cstdint>
#include <span>
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

// The item types of a statement in list order, two bits each, the last in
// the lowest bits: what a format plan is kept by. Only a signature of at
// most `signature_items` types holds them all.
struct ItemSignature {
    std::uint64_t codes = 0;
    std::uint32_t count = 0;

    friend bool operator==(const ItemSignature&, const ItemSignature&) = default;
};
constexpr std::uint32_t signature_items = 32;

constexpr std::uint64_t signature_code(ItemType type) {
    return type == ItemType::integer4 ? 1 : type == ItemType::real8 ? 2 : 3;
}

// Integers and reals are kept by value, character items as copies made at
// the item call, so later changes to the variables do not show. The slots
// are kept from statement to statement: once a statement level has held as
// many items as a statement brings, queuing them allocates nothing.
class QueuedItems {
public:
    std::span<const QueuedItem> list() const { return {slots_.data(), signature_.count}; }
    std::size_t size() const { return signature_.count; }
    const ItemSignature& signature() const { return signature_; }
    const char* text_of(const QueuedItem& item) const { return texts_.data() + item.text_offset; }

    void clear() {
        texts_.clear();
        signature_ = {};
    }
    void add_integer(std::int32_t value) { next(ItemType::integer4).integer = value; }
    void add_real8(double value) { next(ItemType::real8).real = value; }
    void add_character(std::string_view text) {
        QueuedItem& item = next(ItemType::character);
        item.text_offset = static_cast<std::uint32_t>(texts_.size());
        item.text_length = static_cast<std::uint32_t>(text.size());
        texts_.append(text);
    }

private:
    QueuedItem& next(ItemType type) {
        if (signature_.count == capacity_) grow();
        signature_.codes = signature_.codes << 2 | signature_code(type);
        QueuedItem& item = slots_[signature_.count++];
        item.type = type;
        return item;
    }
    void grow();  // twice the slots, keeping those queued

    std::vector<QueuedItem> slots_;  // all of them in use or free for use
    std::size_t capacity_ = 0;       // slots_.size()
    std::string texts_;              // copies of the character items
    ItemSignature signature_;        // its count is the number of items queued
};

}  // namespace io
