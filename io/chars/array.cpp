#include "io/chars/array.hpp"

#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>

#include "runtime/termination.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

// Bookkeeping in front of every tracked block: the links of the list and the
// block's end address. Its size keeps the data aligned for any scalar.
struct alignas(std::max_align_t) BlockHeader {
    BlockHeader* next;
    BlockHeader* previous;
    char* end;
};

struct BlockList {
    BlockHeader* first = nullptr;
    std::size_t count = 0;
};

BlockList g_blocks;

constexpr std::size_t largest_block =
    static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max()) - sizeof(BlockHeader);

void link(BlockList& list, BlockHeader* header) {
    header->previous = nullptr;
    header->next = list.first;
    if (list.first != nullptr) list.first->previous = header;
    list.first = header;
    ++list.count;
}

void unlink(BlockList& list, BlockHeader* header) {
    if (header->previous != nullptr) header->previous->next = header->next;
    else list.first = header->next;
    if (header->next != nullptr) header->next->previous = header->previous;
    --list.count;
}

}  // namespace

rt::real& ArrayDescriptor::at(std::int64_t index) const {
    if (!allocated()) throw std::out_of_range("array is not allocated");
    if (index < lower() || index > upper())
        throw std::out_of_range("index " + std::to_string(index) + " outside " +
                                std::to_string(lower()) + ":" + std::to_string(upper()));
    return (*this)(index);
}

void set_bounds(ArrayDescriptor& array, std::int64_t lower, std::int64_t upper) {
    ArrayDimension& d = array.dim[0];
    array.rank = 1;
    d.stride = 1;
    if (upper < lower) {
        d.extent = 0;
        d.lower_bound = 1;
    } else {
        // Bounds too far apart for any extent leave one that no allocation
        // can satisfy.
        std::int64_t extent = 0;
        if (__builtin_sub_overflow(upper, lower, &extent) || __builtin_add_overflow(extent, 1, &extent))
            extent = std::numeric_limits<std::int64_t>::max();
        d.extent = extent;
        d.lower_bound = lower;
    }
    array.offset = static_cast<std::int64_t>(std::uint64_t{0} - static_cast<std::uint64_t>(d.lower_bound));
}

std::optional<std::size_t> array_byte_size(const ArrayDescriptor& array) {
    std::size_t bytes = array_element_size;
    for (int r = 0; r < array.rank; ++r) {
        const ArrayDimension& d = array.dim[r];
        if (d.extent < 0 || d.stride < 0) return std::nullopt;
        if (__builtin_mul_overflow(bytes, static_cast<std::uint64_t>(d.extent), &bytes)) return std::nullopt;
        if (__builtin_mul_overflow(bytes, static_cast<std::uint64_t>(d.stride), &bytes)) return std::nullopt;
    }
    if (bytes > largest_block) return std::nullopt;
    return bytes;
}

rt::real* allocate(ArrayDescriptor& array) {
    if (array.allocated()) rt::raise_error(rt::msg::array_already_allocated, rt::Kind::general);
    std::optional<std::size_t> bytes = array_byte_size(array);
    if (!bytes) rt::raise_error(rt::msg::array_refused, rt::Kind::general);
    array.base = static_cast<rt::real*>(allocate_block(*bytes));
    array.flags |= array_allocated_flag;
    return array.base;
}

void release(ArrayDescriptor& array) {
    if (!array.allocated()) rt::raise_error(rt::msg::array_not_allocated, rt::Kind::general);
    release_block(array.base);
    array.base = nullptr;
    array.flags &= static_cast<std::uint8_t>(~array_allocated_flag);
}

void* allocate_block(std::size_t bytes) {
    if (bytes > largest_block) rt::raise_error(rt::msg::array_refused, rt::Kind::general);
    void* raw = std::calloc(1, sizeof(BlockHeader) + bytes);
    if (raw == nullptr) rt::raise_error(rt::msg::array_refused, rt::Kind::general);
    auto* header = static_cast<BlockHeader*>(raw);
    char* data = reinterpret_cast<char*>(header + 1);
    header->end = data + bytes;
    link(g_blocks, header);
    return data;
}

void release_block(void* block) {
    if (block == nullptr) return;
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    unlink(g_blocks, header);
    std::free(header);
}

std::size_t allocated_block_count() { return g_blocks.count; }

}  // namespace io
