#pragma once
// Text as the picture needs it: report bytes (Windows-1252) turned into
// UTF-8 and back, and UTF-8 made safe for XML character data and attribute
// values.
#include <optional>
#include <string>
#include <string_view>

namespace plot {

// Every byte becomes one character: 0x80 to 0x9F through the code page's own
// table (the five holes become U+FFFD), the rest as Latin-1.
std::string windows1252_to_utf8(std::string_view bytes);

// The Windows-1252 bytes of UTF-8 text; nothing when the text is not UTF-8
// or holds a character the code page lacks.
std::optional<std::string> utf8_to_windows1252(std::string_view utf8);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool is_utf8(std::string_view bytes);

// A file name as shown in the picture: kept when it is UTF-8, else read as
// Windows-1252, the code page the program names its reports in.
std::string display_name(std::string_view bytes);

// Escapes & < > " ' and replaces by U+FFFD what XML 1.0 cannot carry at all:
// the control characters but TAB, LF and CR, U+FFFE, U+FFFF, and any bytes
// that are not well-formed UTF-8.
std::string xml_escape(std::string_view utf8);

}  // namespace plot
