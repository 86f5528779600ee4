#include "io/chars/chars.hpp"

#include <algorithm>
#include <cstring>

#include "runtime/termination.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

// Results up to this length are built on the stack; longer ones on the heap.
constexpr int work_area_size = 256;

// Fills `dest` (of `length` characters) with the pieces, cut or blank-padded.
void fill_with_pieces(char* dest, std::size_t length, std::span<const std::string_view> pieces) {
    std::size_t used = 0;
    for (std::string_view piece : pieces) {
        std::size_t n = std::min(piece.size(), length - used);
        if (n > 0) std::memcpy(dest + used, piece.data(), n);
        used += n;
        if (used == length) break;
    }
    std::memset(dest + used, blank, length - used);
}

}  // namespace

CharacterTemporary::CharacterTemporary(int length) : length_(std::max(length, 0)) {
    // One byte at least: an empty value still has an address of its own.
    bytes_.reset(static_cast<char*>(std::malloc(static_cast<std::size_t>(length_) + 1)));
    if (!bytes_) rt::raise_error(rt::msg::no_memory_for_character, rt::Kind::general);
}

void assign(char* dest, int dest_length, std::string_view source) {
    if (dest_length <= 0) return;
    std::size_t length = static_cast<std::size_t>(dest_length);
    std::size_t n = std::min(source.size(), length);
    if (n > 0) std::memmove(dest, source.data(), n);
    std::memset(dest + n, blank, length - n);
}

void assign_substring(char* dest, int dest_first, int dest_last,
                      const char* source, int source_first, int source_last) {
    assign(dest + (dest_first - 1), dest_last - dest_first + 1,
           substring(source, source_first, source_last));
}

void concatenate(char* dest, int dest_length, std::span<const std::string_view> pieces) {
    if (dest_length <= 0) return;
    std::size_t length = static_cast<std::size_t>(dest_length);
    if (dest_length <= work_area_size) {
        char work[work_area_size];
        fill_with_pieces(work, length, pieces);
        std::memcpy(dest, work, length);
        return;
    }
    CharacterTemporary work(dest_length);
    fill_with_pieces(work.data(), length, pieces);
    std::memcpy(dest, work.data(), length);
}

void concatenate(char* dest, int dest_length, std::initializer_list<std::string_view> pieces) {
    concatenate(dest, dest_length, std::span<const std::string_view>(pieces.begin(), pieces.size()));
}

int length_without_trailing_blanks(const char* address, int length) {
    while (length > 0 && address[length - 1] == blank) --length;
    return std::max(length, 0);
}

int length_without_trailing_blanks(std::string_view value) {
    std::size_t end = value.find_last_not_of(blank);
    return end == std::string_view::npos ? 0 : static_cast<int>(end + 1);
}

CharacterTemporary left_adjust(const char* address, int length) {
    CharacterTemporary result(length);
    const std::string_view value(address, static_cast<std::size_t>(result.length()));
    const std::string_view adjusted = value.substr(std::min(value.find_first_not_of(blank), value.size()));
    fill_with_pieces(result.data(), value.size(), std::span<const std::string_view>(&adjusted, 1));
    return result;
}

}  // namespace io
