#include "io/format/format_entries.hpp"

namespace io::format_entries {

void write_param(std::vector<std::uint8_t>& out, std::int32_t value) {
    if (value >= -short_param_limit && value <= short_param_limit) {
        out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(value)));
        return;
    }
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[5] = {long_param_marker, static_cast<std::uint8_t>(bits),
                                   static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits >> 16),
                                   static_cast<std::uint8_t>(bits >> 24)};
    out.insert(out.end(), bytes, bytes + 5);
}

void write_entry(std::vector<std::uint8_t>& out, const Entry& entry) {
    const auto kind = static_cast<Kind>(entry.kind);
    if (kind == format_end || kind == error) {
        const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(entry.value16),
                                       static_cast<std::uint8_t>(entry.value16 >> 8)};
        out.insert(out.end(), bytes, bytes + 3);
        return;
    }
    out.push_back(entry_byte(kind, entry.has_repeat, entry.param_count));
    if (kind == prefixed) out.push_back(static_cast<std::uint8_t>(entry.sub_kind));
    if (entry.has_repeat) write_param(out, entry.repeat);
    if (entry.param_count >= 1) write_param(out, entry.w);
    if (entry.param_count >= 2) write_param(out, entry.d);
    if (entry.param_count >= 3) write_param(out, entry.e);
}

}  // namespace io::format_entries
