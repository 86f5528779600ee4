#pragma once
// Short runs of bytes written as whole blocks: a run of up to `block_size`
// bytes is copied (or filled) as one block of that many bytes, whose bytes
// past the run are overwritten by what is written next or lie past the
// text. The source of a copy has `block_size` readable bytes from the run's
// start, and the target `block_size` writable bytes.
#include <cstddef>
#include <cstring>

namespace io::blocks {

constexpr std::size_t block_size = 32;

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

}  // namespace io::blocks
