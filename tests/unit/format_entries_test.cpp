// The entries of a compiled format: what the writing functions put in the
// byte list the reading functions give back, ending where the entry ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "io/format/format_entries.hpp"

namespace {

namespace fe = io::format_entries;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t int32_min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t int32_max = std::numeric_limits<std::int32_t>::max();

// Parameters on both sides of the short form and at the ends of 32 bits.
constexpr std::int32_t boundary_params[] = {0, 1, -1, 120, -120, 121, -121, 127, -128, int32_max, int32_min};

// Every kind but the two that carry a 16-bit value.
constexpr int param_kinds[] = {
    fe::text,       fe::scale,        fe::edit_a,       fe::edit_l,        fe::edit_i,
    fe::edit_d,     fe::edit_e,       fe::edit_f,       fe::edit_g,        fe::edit_z,
    fe::group_start, fe::prefixed,    fe::record_end,   fe::colon,         fe::sign_plus,
    fe::sign_default, fe::blank_null, fe::blank_zero,   fe::no_record_end, fe::group_end,
    fe::position_absolute, fe::position_left, fe::position_right,
};

std::string describe(const fe::Entry& e) {
    return "kind " + std::to_string(e.kind) + " sub " + std::to_string(e.sub_kind) + " repeat " +
           (e.has_repeat ? std::to_string(e.repeat) : "-") + " params " + std::to_string(e.param_count) + " (" +
           std::to_string(e.w) + ", " + std::to_string(e.d) + ", " + std::to_string(e.e) + ") value16 " +
           std::to_string(e.value16);
}

int param_size(std::int32_t value) { return value >= -120 && value <= 120 ? 1 : 5; }

// Writes `entry` after a few bytes already in the list (and, for a text
// entry, its `repeat` bytes), reads it back and checks the entry, the text
// position and the position after it.
void check_round_trip(fe::Entry entry, int expected_size) {
    Bytes bytes = {0xAA, 0x55};
    fe::write_entry(bytes, entry);
    ASSERT_EQ(static_cast<int>(bytes.size()) - 2, expected_size) << describe(entry);
    if (entry.kind == fe::text) {
        for (std::int32_t i = 0; i < entry.repeat; ++i) bytes.push_back(static_cast<std::uint8_t>('a' + i % 26));
        entry.text = bytes.data() + 2 + expected_size;
    }
    fe::Entry got;
    got.value16 = 0x1234;  // left over from an earlier entry
    got.text = bytes.data();
    const std::uint8_t* next = fe::read_entry(bytes.data() + 2, got);
    EXPECT_EQ(got, entry) << "wrote " << describe(entry) << ", read " << describe(got);
    EXPECT_EQ(next, bytes.data() + bytes.size()) << describe(entry);
}

TEST(FormatEntries, EveryKindWithAndWithoutRepeatAndUpToThreeParameters) {
    for (int kind : param_kinds) {
        const int sub_kind = kind == fe::prefixed ? fe::sub_es : 0;
        for (bool has_repeat : {false, true}) {
            for (int count = 0; count <= 3; ++count) {
                fe::Entry entry{.kind = kind, .sub_kind = sub_kind, .has_repeat = has_repeat};
                if (has_repeat) entry.repeat = kind == fe::text ? 3 : 7;
                if (count >= 1) entry.w = 25;
                if (count >= 2) entry.d = 15;
                if (count >= 3) entry.e = 3;
                entry.param_count = count;
                check_round_trip(entry, 1 + (sub_kind != 0 ? 1 : 0) + (has_repeat ? 1 : 0) + count);
            }
        }
    }
}

TEST(FormatEntries, ShortAndLongParametersInEverySlot) {
    for (std::int32_t value : boundary_params) {
        const int size = param_size(value);
        check_round_trip({.kind = fe::scale, .has_repeat = true, .repeat = value}, 1 + size);
        check_round_trip({.kind = fe::position_absolute, .param_count = 1, .w = value}, 1 + size);
        check_round_trip({.kind = fe::edit_i, .param_count = 2, .w = 5, .d = value}, 2 + size);
        check_round_trip({.kind = fe::edit_e, .has_repeat = true, .repeat = value, .param_count = 3, .w = value,
                          .d = value, .e = value},
                         1 + 4 * size);
    }
    // A long parameter is the marker and four bytes, low byte first.
    Bytes bytes;
    fe::write_param(bytes, -121);
    EXPECT_EQ(bytes, (Bytes{127, 0x87, 0xFF, 0xFF, 0xFF}));
    bytes.clear();
    fe::write_param(bytes, -120);
    EXPECT_EQ(bytes, (Bytes{0x88}));
}

TEST(FormatEntries, EverySubKindOfThePrefixedForm) {
    for (int sub_kind : {fe::sub_en, fe::sub_es, fe::sub_o, fe::sub_b, fe::sub_q}) {
        check_round_trip({.kind = fe::prefixed, .sub_kind = sub_kind}, 2);
        check_round_trip({.kind = fe::prefixed, .sub_kind = sub_kind, .has_repeat = true, .repeat = 200,
                          .param_count = 2, .w = 12, .d = 4},
                         2 + 5 + 2);
    }
}

TEST(FormatEntries, TextEntriesCarryTheirBytesInline) {
    for (std::int32_t length : {0, 1, 120, 121, 300}) {
        check_round_trip({.kind = fe::text, .has_repeat = true, .repeat = length}, 1 + param_size(length));
    }
}

TEST(FormatEntries, FormatEndAndErrorCarryASixteenBitValue) {
    for (std::uint16_t value : {0, 1, 0xFF, 0x100, 0x7FFF, 0xFFFF}) {
        check_round_trip({.kind = fe::format_end, .value16 = value}, 3);
        check_round_trip({.kind = fe::error, .value16 = value}, 3);
    }
    Bytes bytes;
    fe::write_entry(bytes, {.kind = fe::error, .value16 = fe::too_deeply_nested});
    EXPECT_EQ(bytes, (Bytes{31, 0xDA, 0x03}));  // 986, low byte first
}

}  // namespace
