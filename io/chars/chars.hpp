#pragma once
// Fixed-length character values: an address and a length, no terminator,
// padded on the right with blanks. Only the byte 0x20 is a blank; every other
// byte, NUL included, is an ordinary character. No operation here writes a
// terminator into a value.
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>

namespace io {

constexpr char blank = ' ';

// A temporary character value taken from the C heap, so that a refusal is
// the character values' own error (F6717), and given back when it goes.
class CharacterTemporary {
public:
    explicit CharacterTemporary(int length);  // uninitialised characters
    char* data() const { return bytes_.get(); }
    int length() const { return length_; }
    std::string_view view() const { return {bytes_.get(), static_cast<std::size_t>(length_)}; }

private:
    struct Free {
        void operator()(char* bytes) const { std::free(bytes); }
    };
    std::unique_ptr<char, Free> bytes_;
    int length_ = 0;
};

// The substring from `first` to `last` (1-based, inclusive) of the value at
// `address`; empty when last < first.
constexpr std::string_view substring(const char* address, int first, int last) {
    if (last < first) return {};
    return std::string_view(address + (first - 1), static_cast<std::size_t>(last - first + 1));
}

// Destination := source: copies min(source length, destination length)
// characters and fills the rest of the destination with blanks. A destination
// of negative length is left alone. Source and destination may overlap.
void assign(char* dest, int dest_length, std::string_view source);

// Destination (address, first, last) := source (address, first, last).
void assign_substring(char* dest, int dest_first, int dest_last,
                      const char* source, int source_first, int source_last);

// The pieces one after another into the destination, cut at its length or
// padded with blanks. The result is built apart, so the destination may
// itself be (or overlap) one of the pieces. A destination of negative length
// is left alone. A work area that cannot be obtained ends the program (F6717).
void concatenate(char* dest, int dest_length, std::span<const std::string_view> pieces);
void concatenate(char* dest, int dest_length, std::initializer_list<std::string_view> pieces);

// The number of characters up to and including the last non-blank; 0 for an
// all-blank, empty or negative-length value.
int length_without_trailing_blanks(const char* address, int length);
int length_without_trailing_blanks(std::string_view value);

// A new value of the same length: the characters after the leading blanks,
// followed by as many blanks. A heap refusal ends the program (F6717).
CharacterTemporary left_adjust(const char* address, int length);

}  // namespace io
