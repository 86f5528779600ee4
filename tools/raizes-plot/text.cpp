#include "text.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

namespace plot {

namespace {

constexpr char32_t replacement = 0xFFFD;

// Windows-1252 at 0x80 to 0x9F; the rest of the upper half is Latin-1.
constexpr std::array<char32_t, 32> high_controls = {
    0x20AC, replacement, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, replacement, 0x017D, replacement,
    replacement, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, replacement, 0x017E, 0x0178,
};

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Length of the UTF-8 sequence starting at `at`, or 0 when it is ill-formed.
std::size_t utf8_sequence(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > s.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

// The character of a well-formed sequence of `length` bytes.
char32_t decode(std::string_view s, std::size_t at, std::size_t length) {
    const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<std::uint8_t>(s[at + i])); };
    if (length == 1) return byte(0);
    char32_t c = byte(0) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (byte(i) & 0x3F);
    return c;
}

bool is_xml_char(char32_t c) {
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
    return c != 0xFFFE && c != 0xFFFF;  // surrogates are not well-formed UTF-8
}

}  // namespace

std::string windows1252_to_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        append_utf8(out, b >= 0x80 && b <= 0x9F ? high_controls[b - 0x80] : char32_t{b});
    }
    return out;
}

std::optional<std::string> utf8_to_windows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = utf8_sequence(utf8, at);
        if (length == 0) return std::nullopt;
        const char32_t c = decode(utf8, at, length);
        at += length;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        const auto* found = c == replacement ? high_controls.end() : std::find(high_controls.begin(), high_controls.end(), c);
        if (found == high_controls.end()) return std::nullopt;
        out += static_cast<char>(0x80 + (found - high_controls.begin()));
    }
    return out;
}

bool is_utf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = utf8_sequence(bytes, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string display_name(std::string_view bytes) {
    return is_utf8(bytes) ? std::string(bytes) : windows1252_to_utf8(bytes);
}

std::string xml_escape(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = utf8_sequence(utf8, at);
        if (length == 0) {
            append_utf8(out, replacement);
            ++at;
            continue;
        }
        const char32_t c = decode(utf8, at, length);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default:
                if (is_xml_char(c)) out.append(utf8.substr(at, length));
                else append_utf8(out, replacement);
        }
        at += length;
    }
    return out;
}

}  // namespace plot
