#pragma once
// Keyword values of the open and close specifiers.
#include <span>
#include <string_view>

namespace io {

// The index of the keyword that the text names, or -1. Letters match in
// either case and blanks may follow the keyword; nothing else may.
int match_keyword(const char* text, int length, std::span<const std::string_view> keywords);

}  // namespace io
