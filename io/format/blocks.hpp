#pragma once
// Short runs of bytes written as whole blocks: a run of up to `block_size`
// bytes is copied (or filled) as one block of that many bytes, whose bytes
// past the run are overwritten by what is written next or lie past the
// text. The source of a copy has `block_size` readable bytes from the run's
// start, and the target `block_size` writable bytes: the storage of both
// is made by `with_spare_room`.
#include <cstddef>
#include <cstring>

namespace io::blocks {

constexpr std::size_t block_size = 32;

// The bytes of storage that holds `count` bytes and takes runs written or
// read as blocks anywhere among them: one block of spare room after them.
constexpr std::size_t with_spare_room(std::size_t count) { return count + block_size; }

// The block is a copy of a size known at compile time, a few moves. A count
// of a signed type below 0 writes nothing but the block.
template <class Count>
[[gnu::always_inline]] inline char* copy_run(char* out, const char* from, Count count) {
    if (count <= static_cast<Count>(block_size)) {
        std::memcpy(out, from, block_size);
    } else {
        std::memcpy(out, from, static_cast<std::size_t>(count));
    }
    return out + count;
}

template <class Count>
[[gnu::always_inline]] inline char* fill_run(char* out, char c, Count count) {
    if (count <= static_cast<Count>(block_size)) {
        std::memset(out, c, block_size);
    } else {
        std::memset(out, c, static_cast<std::size_t>(count));
    }
    return out + count;
}

// Moves the run of `count` bytes at `at` `by` places on, and fills the
// places it leaves with `c`.
template <class Count>
[[gnu::always_inline]] inline void shift_run(char* at, Count count, Count by, char c) {
    if (count <= static_cast<Count>(block_size)) {
        char run[block_size];
        std::memcpy(run, at, block_size);
        fill_run(at, c, by);
        std::memcpy(at + by, run, block_size);
    } else {
        std::memmove(at + by, at, static_cast<std::size_t>(count));
        std::memset(at, c, static_cast<std::size_t>(by));
    }
}

}  // namespace io::blocks
