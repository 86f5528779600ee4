#pragma once
// The record a format-directed statement is building: its bytes so far and
// the column where the next characters go. A record has no length limit.
// Its storage always keeps a block of spare room (blocks.hpp) past the room
// a write asks for, so that a field is edited and fitted as whole blocks
// at the record's end.
#include <algorithm>
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
        end_room(0);
        return storage_.get();
    }

    // Characters go at the column: they overwrite what is there and extend
    // the record past its end.
    void put(const char* bytes, std::size_t count);
    void fill(char c, std::size_t count);
    // A field of w columns: `edit(at)` writes its text at the record's end,
    // where there is room for a field text and for w columns, and returns
    // its length; the text goes after blanks, or the field is w asterisks
    // when the text is longer than w or not held.
    template <class Edit>
    void put_field(int w, const Edit& edit) {
        const std::size_t width = w > 0 ? static_cast<std::size_t>(w) : 0;
        const std::size_t end = size_;
        char* at = end_room(std::max(width, static_cast<std::size_t>(field_capacity)));
        const std::size_t length = static_cast<unsigned>(edit(at));
        if (length > width || length > field_capacity) {
            blocks::fill_run(at, '*', width);
        } else {
            blocks::shift_run(at, length, width - length, ' ');
        }
        if (column_ < end) return overwrite_with_end(width);
        size_ = column_ = end + width;
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

    // Room for `count` bytes from the column, or from the end, and the spare
    // block after them.
    char* room(std::size_t count) {
        if (capacity_ - column_ < blocks::with_spare_room(count)) grow_to(column_, count);
        return storage_.get() + column_;
    }
    char* end_room(std::size_t count) {
        if (capacity_ - size_ < blocks::with_spare_room(count)) grow_to(size_, count);
        return storage_.get() + size_;
    }
    // Storage for `count` bytes from `from`, and the spare block after them.
    void grow_to(std::size_t from, std::size_t count);
    void advance(std::size_t count) {
        column_ += count;
        if (column_ > size_) size_ = column_;
    }
    // The `width` bytes after the record's end go at the column.
    void overwrite_with_end(std::size_t width);

    std::unique_ptr<char[], Release> storage_;
    std::size_t capacity_ = 0;  // bytes of storage
    std::size_t size_ = 0;      // the furthest extent written
    std::size_t column_ = 0;    // where the next character goes (0 = first column), up to size_
};

}  // namespace io
