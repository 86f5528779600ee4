#include "io/units/keywords.hpp"

namespace io {

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool names_keyword(std::string_view text, std::string_view keyword) {
    if (text.size() < keyword.size()) return false;
    for (std::size_t i = 0; i < keyword.size(); ++i)
        if (upper(text[i]) != keyword[i]) return false;
    for (std::size_t i = keyword.size(); i < text.size(); ++i)
        if (text[i] != ' ') return false;
    return true;
}

}  // namespace

int match_keyword(const char* text, int length, std::span<const std::string_view> keywords) {
    std::string_view value(text, text && length > 0 ? static_cast<std::size_t>(length) : 0);
    for (std::size_t i = 0; i < keywords.size(); ++i)
        if (names_keyword(value, keywords[i])) return static_cast<int>(i);
    return -1;
}

}  // namespace io
