#pragma once
// Allocatable double precision arrays and the list of heap blocks the layer
// tracks.
//
//     ArrayDescriptor p;
//     set_bounds(p, 1, nmax);
//     allocate(p);      // F6316 when already allocated, F6772 when refused
//     p(i) = x;         // base[offset + i * stride]
#include <cstddef>
#include <cstdint>
#include <optional>

#include "runtime/real.hpp"

namespace io {

constexpr int array_max_rank = 1;
constexpr std::size_t array_element_size = sizeof(rt::real);
constexpr std::uint8_t array_allocated_flag = 0x01;

struct ArrayDimension {
    std::int64_t extent = 0;       // number of elements, never negative
    std::int64_t stride = 1;       // in elements
    std::int64_t lower_bound = 1;
};

struct ArrayDescriptor {
    rt::real* base = nullptr;
    // Minus the sum over the dimensions of lower bound times stride, so that
    // element i lives at base[offset + i * stride].
    std::int64_t offset = 0;
    std::uint8_t flags = 0;
    int rank = 1;
    ArrayDimension dim[array_max_rank];

    bool allocated() const { return (flags & array_allocated_flag) != 0; }

    std::int64_t lower() const { return dim[0].lower_bound; }
    std::int64_t upper() const { return dim[0].lower_bound + dim[0].extent - 1; }

    // Unchecked element access, for the hot loops.
    rt::real& operator()(std::int64_t index) const { return base[offset + index * dim[0].stride]; }

    // Checked element access: throws std::out_of_range when the array is not
    // allocated or the index is outside its bounds.
    rt::real& at(std::int64_t index) const;
};

// Rank 1 bounds lower:upper. The extent is upper - lower + 1, or 0 when
// upper < lower, in which case the lower bound is recorded as 1.
void set_bounds(ArrayDescriptor& array, std::int64_t lower, std::int64_t upper);

// The bytes the array's elements take, or nothing when that size cannot be
// represented or could never be allocated.
std::optional<std::size_t> array_byte_size(const ArrayDescriptor& array);

// Takes the block for the bounds already set, marks the array allocated and
// returns its base. An empty array still gets a valid block. Every element
// starts at zero, so an element that is read before it is assigned (a null
// value typed for it) holds 0, whatever the heap held before.
rt::real* allocate(ArrayDescriptor& array);

// Returns the block to the heap and clears the mark (F6776 when not allocated).
void release(ArrayDescriptor& array);

// A tracked heap block of `bytes` bytes, aligned for any scalar; a refusal
// ends the program (F6772). 0 bytes still gives a valid, distinct block.
void* allocate_block(std::size_t bytes);
// Unlinks and frees a block from allocate_block; null is ignored.
void release_block(void* block);
// How many tracked blocks are currently allocated.
std::size_t allocated_block_count();

}  // namespace io
