#pragma once
// Text as the picture needs it: report bytes (Windows-1252) turned into
// UTF-8, and UTF-8 made safe for XML character data and attribute values.
#include <string>
#include <string_view>

namespace plot {

// Every byte becomes one character: 0x80 to 0x9F through the code page's own
// table (the five holes become U+FFFD), the rest as Latin-1.
std::string windows1252_to_utf8(std::string_view bytes);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool is_utf8(std::string_view bytes);

// A file name as shown in the picture: kept when it is UTF-8, else read as
// Windows-1252, the code page the program names its reports in.
std::string display_name(std::string_view bytes);

// Escapes & < > " ' and replaces the control characters that XML 1.0 cannot
// carry at all (anything below 0x20 but TAB, LF and CR) by U+FFFD.
std::string xml_escape(std::string_view utf8);

}  // namespace plot
