#pragma once
// The record a format-directed statement is building: its bytes so far and
// the column where the next characters go. A record has no length limit.
// Its storage always keeps a block of spare room (blocks.hpp) past the room
// a write asks for, so that a field at the record's end is written as whole
// blocks.
#include <cstddef>
#include <memory>
#include <string_view>

#include "io/format/blocks.hpp"
#include "io/format/edit.hpp"

namespace io {

class Record {
public:
    std::string_view text() const { return {storage_.get(), size_}; }
    bool empty() const { return size_ == 0; }
    // The bytes of the record, followed by (at least) a block of spare room.
    char* finished() {
        if (capacity_ - size_ < blocks::block_size) grow_to(size_, 0);
        return storage_.get();
    }

    // Characters go at the column: they overwrite what is there and extend
    // the record past its end.
    void put(const char* bytes, std::size_t count);
    void fill(char c, std::size_t count);
    // A field at the record's end goes as whole blocks into the spare room.
    void put_field(const FittedField& field) {
        if (column_ < size_) return overwrite(field);
        const auto lead = static_cast<std::size_t>(field.lead);
        char* out = blocks::fill_run(room(lead + field.body.size()), field.lead_char, lead);
        blocks::copy_run(out, field.body.data(), field.body.size());
        advance(lead + field.body.size());
    }
    // Later characters overwrite the record from `column`, before its end.
    void move_back(std::size_t column) { column_ = column; }

    // Empty again for the next record; an exceptionally long one does not
    // keep its memory.
    void clear();

private:
    struct Release {
        void operator()(char* storage) const { ::operator delete[](storage); }
    };

    // Room for `count` bytes from the column, and the spare block after them.
    char* room(std::size_t count) {
        if (capacity_ - column_ < blocks::block_size || capacity_ - column_ - blocks::block_size < count) {
            grow_to(column_, count);
        }
        return storage_.get() + column_;
    }
    // Storage for `count` bytes from `from`, and the spare block after them.
    void grow_to(std::size_t from, std::size_t count);
    void overwrite(const FittedField& field);
    void advance(std::size_t count) {
        column_ += count;
        if (column_ > size_) size_ = column_;
    }

    std::unique_ptr<char[], Release> storage_;
    std::size_t capacity_ = 0;  // bytes of storage
    std::size_t size_ = 0;      // the furthest extent written
    std::size_t column_ = 0;    // where the next character goes (0 = first column)
};

}  // namespace io
