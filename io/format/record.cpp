#include "io/format/record.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace io {

namespace {

constexpr std::size_t first_capacity = 256;
constexpr std::size_t kept_capacity = 64 * 1024;
constexpr std::size_t most = std::numeric_limits<std::size_t>::max();

std::size_t plus(std::size_t a, std::size_t b) { return a > most - b ? most : a + b; }

}  // namespace

// A size beyond the address space asks for all of it: the allocation is
// refused like any other that the heap cannot serve.
void Record::grow_to(std::size_t from, std::size_t count) {
    const std::size_t needed = plus(plus(from, count), blocks::block_size);
    const std::size_t capacity = std::max({needed, first_capacity, capacity_ > most / 2 ? most : 2 * capacity_});
    std::unique_ptr<char[], Release> storage(static_cast<char*>(::operator new[](capacity)));
    if (size_ > 0) std::memcpy(storage.get(), storage_.get(), size_);
    storage_ = std::move(storage);
    capacity_ = capacity;
}

void Record::put(const char* bytes, std::size_t count) {
    std::memcpy(room(count), bytes, count);
    advance(count);
}

void Record::fill(char c, std::size_t count) {
    std::memset(room(count), c, count);
    advance(count);
}

void Record::overwrite_with_end(std::size_t width) {
    std::memmove(storage_.get() + column_, storage_.get() + size_, width);
    advance(width);
}

void Record::clear() {
    size_ = 0;
    column_ = 0;
    if (capacity_ > kept_capacity) {
        storage_.reset();
        capacity_ = 0;
    }
}

}  // namespace io
