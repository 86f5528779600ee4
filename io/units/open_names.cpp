#include "io/units/open_names.hpp"

#include <array>

namespace io {

namespace {

struct DeviceName {
    std::string_view name;
    Device device;
};

constexpr std::array<DeviceName, 15> device_names{{
    {"CON", Device::console},
    {"USER", Device::console},
    {"ERR", Device::error},
    {"NUL", Device::null},
    {"PRN", Device::unavailable},
    {"AUX", Device::unavailable},
    {"LINE", Device::unavailable},
    {"COM1", Device::unavailable},
    {"COM2", Device::unavailable},
    {"COM3", Device::unavailable},
    {"COM4", Device::unavailable},
    {"LPT1", Device::unavailable},
    {"LPT2", Device::unavailable},
    {"LPT3", Device::unavailable},
    {"LPT4", Device::unavailable},
}};

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool same_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

}  // namespace

std::string file_name_from_text(const char* text, int length) {
    if (!text || length <= 0) return {};
    std::string_view name(text, static_cast<std::size_t>(length < file_name_limit ? length : file_name_limit));
    name = name.substr(0, name.find('\0'));
    std::size_t first = name.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::size_t last = name.find_last_not_of(' ');
    return std::string(name.substr(first, last - first + 1));
}

Device device_of(std::string_view name) {
    std::size_t dot = name.rfind('.');
    std::string_view base = dot == std::string_view::npos ? name : name.substr(0, dot);
    bool has_extension = dot != std::string_view::npos && dot + 1 < name.size();
    if (base.size() != 3 && base.size() != 4) return Device::none;
    if (has_extension) {
        char first = upper(base[0]);
        if (first == 'E' || first == 'L' || first == 'U') return Device::none;
    }
    for (const DeviceName& device : device_names)
        if (same_letters(base, device.name)) return device.device;
    return Device::none;
}

std::string console_alias(std::string name) {
    if (same_letters(name, "USER")) return "CON";
    return name;
}

}  // namespace io
