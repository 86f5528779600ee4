#include "io/chars/array.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "runtime/messages.hpp"
#include "runtime/termination.hpp"
#include "unit/death_output.hpp"

namespace {

constexpr std::int64_t int64_max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t int64_min = std::numeric_limits<std::int64_t>::min();

// The bytes a general-kind run-time error report writes to standard error.
std::string general_report(int message_number) {
    return "\r\nrun-time error F" + std::to_string(6000 + message_number) + "\r\n- " +
           std::string(rt::message_text(message_number)) + "\r\n";
}

TEST(ArrayBounds, ExtentIsUpperMinusLowerPlusOne) {
    io::ArrayDescriptor p;
    io::set_bounds(p, 1, 10);
    EXPECT_EQ(p.rank, 1);
    EXPECT_EQ(p.dim[0].extent, 10);
    EXPECT_EQ(p.dim[0].lower_bound, 1);
    EXPECT_EQ(p.dim[0].stride, 1);
    EXPECT_EQ(p.upper(), 10);

    io::set_bounds(p, 0, 11);
    EXPECT_EQ(p.dim[0].extent, 12);
    EXPECT_EQ(p.lower(), 0);
    EXPECT_EQ(p.upper(), 11);

    io::set_bounds(p, -2, 2);
    EXPECT_EQ(p.dim[0].extent, 5);
    EXPECT_EQ(p.lower(), -2);

    io::set_bounds(p, 7, 7);
    EXPECT_EQ(p.dim[0].extent, 1);
}

TEST(ArrayBounds, UpperBelowLowerGivesAnEmptyArrayWithLowerBoundOne) {
    io::ArrayDescriptor p;
    io::set_bounds(p, 1, 0);
    EXPECT_EQ(p.dim[0].extent, 0);
    EXPECT_EQ(p.dim[0].lower_bound, 1);

    io::set_bounds(p, 0, -5);
    EXPECT_EQ(p.dim[0].extent, 0);
    EXPECT_EQ(p.dim[0].lower_bound, 1);
    EXPECT_EQ(p.offset, -1);
}

TEST(ArrayBounds, BoundsTooFarApartCannotBeAllocated) {
    io::ArrayDescriptor p;
    io::set_bounds(p, int64_min, int64_max);
    EXPECT_FALSE(io::array_byte_size(p).has_value());
}

TEST(ArrayByteSize, IsExtentTimesEightWithoutWrapping) {
    io::ArrayDescriptor p;
    io::set_bounds(p, 0, 9);
    EXPECT_EQ(io::array_byte_size(p), 80u);
    io::set_bounds(p, 1, 0);
    EXPECT_EQ(io::array_byte_size(p), 0u);
    // 4 GiB: an array of a 64-bit program; beyond a 32-bit address space,
    // where it is refused (the allocation error) instead of wrapping to 0.
    io::set_bounds(p, 1, std::int64_t{1} << 29);
    if constexpr (sizeof(std::size_t) == 8) EXPECT_EQ(io::array_byte_size(p), std::uint64_t{1} << 32);
    else EXPECT_FALSE(io::array_byte_size(p).has_value());
    // Counts that wrap to a small size in 64 bits are refused.
    io::set_bounds(p, 1, std::int64_t{1} << 61);
    EXPECT_FALSE(io::array_byte_size(p).has_value());
    io::set_bounds(p, 1, std::int64_t{1} << 62);
    EXPECT_FALSE(io::array_byte_size(p).has_value());
    // Representable but beyond any address space.
    io::set_bounds(p, 1, std::int64_t{1} << 60);
    EXPECT_FALSE(io::array_byte_size(p).has_value());
}

TEST(ArrayAllocation, ZeroElementsGiveAValidEmptyArray) {
    std::size_t blocks = io::allocated_block_count();
    io::ArrayDescriptor p;
    io::set_bounds(p, 1, 0);
    rt::real* base = io::allocate(p);
    EXPECT_NE(base, nullptr);
    EXPECT_EQ(base, p.base);
    EXPECT_TRUE(p.allocated());
    EXPECT_EQ(io::allocated_block_count(), blocks + 1);
    EXPECT_THROW(p.at(1), std::out_of_range);

    io::release(p);
    EXPECT_FALSE(p.allocated());
    EXPECT_EQ(io::allocated_block_count(), blocks);
}

TEST(ArrayAllocation, ElementsAreContiguousFromTheLowerBound) {
    for (std::int64_t lower : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-3}}) {
        io::ArrayDescriptor p;
        io::set_bounds(p, lower, lower + 99);
        io::allocate(p);
        EXPECT_EQ(&p(lower), p.base) << "lower bound " << lower;
        EXPECT_EQ(&p(lower + 99), p.base + 99) << "lower bound " << lower;
        for (std::int64_t i = lower; i <= lower + 99; ++i) p(i) = static_cast<double>(i) * 0.5;
        for (std::int64_t i = lower; i <= lower + 99; ++i) EXPECT_EQ(p.at(i), static_cast<double>(i) * 0.5);
        EXPECT_THROW(p.at(lower - 1), std::out_of_range);
        EXPECT_THROW(p.at(lower + 100), std::out_of_range);
        io::release(p);
    }
}

TEST(ArrayAllocation, BaseIsAlignedForDoubles) {
    io::ArrayDescriptor p;
    io::set_bounds(p, 1, 3);
    io::allocate(p);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p.base) % alignof(std::max_align_t), 0u);
    io::release(p);
}

TEST(ArrayAllocation, CheckedAccessRefusesAnUnallocatedArray) {
    io::ArrayDescriptor p;
    io::set_bounds(p, 1, 10);
    EXPECT_THROW(p.at(1), std::out_of_range);
}

TEST(ArrayAllocation, ReleasedArrayCanBeAllocatedAgain) {
    std::size_t blocks = io::allocated_block_count();
    io::ArrayDescriptor p;
    io::set_bounds(p, 1, 5);
    io::allocate(p);
    io::release(p);
    EXPECT_EQ(p.base, nullptr);
    io::set_bounds(p, 0, 50);
    io::allocate(p);
    p(50) = 1.5;
    EXPECT_EQ(p.at(50), 1.5);
    io::release(p);
    EXPECT_EQ(io::allocated_block_count(), blocks);
}

TEST(TrackedBlocks, AreDistinctEvenWhenEmptyAndLeaveTheListInAnyOrder) {
    std::size_t blocks = io::allocated_block_count();
    void* a = io::allocate_block(0);
    void* b = io::allocate_block(0);
    void* c = io::allocate_block(16);
    EXPECT_NE(a, b);
    EXPECT_EQ(io::allocated_block_count(), blocks + 3);
    io::release_block(b);  // the middle of the list
    io::release_block(c);  // its head
    io::release_block(a);
    io::release_block(nullptr);
    EXPECT_EQ(io::allocated_block_count(), blocks);
}

// The reports end through the exit sequence, which settles the console
// units that start-up creates.
class ArrayDeathTest : public ::testing::Test {
protected:
    void SetUp() override { io::create_console_units(); }
};

TEST_F(ArrayDeathTest, AllocatingTwiceReportsF6316) {
    EXPECT_EXIT(
        {
            io::ArrayDescriptor p;
            io::set_bounds(p, 1, 10);
            io::allocate(p);
            io::allocate(p);
        },
        ::testing::ExitedWithCode(1), ::testing::Eq(unit_death::as_captured(general_report(316))));
}

TEST_F(ArrayDeathTest, SizeThatCannotBeRepresentedReportsF6772) {
    EXPECT_EXIT(
        {
            io::ArrayDescriptor p;
            io::set_bounds(p, 1, std::int64_t{1} << 62);
            io::allocate(p);
        },
        ::testing::ExitedWithCode(1), ::testing::Eq(unit_death::as_captured(general_report(772))));
}

TEST_F(ArrayDeathTest, SizeThatWrapsToASmallBlockReportsF6772) {
    // 2^61 + 1 elements of 8 bytes wrap around to 8 bytes in 64 bits.
    EXPECT_EXIT(
        {
            io::ArrayDescriptor p;
            io::set_bounds(p, 0, (std::int64_t{1} << 61));
            io::allocate(p);
        },
        ::testing::ExitedWithCode(1), ::testing::Eq(unit_death::as_captured(general_report(772))));
}

TEST_F(ArrayDeathTest, RefusedBlockReportsF6772) {
    EXPECT_EXIT(io::allocate_block(std::numeric_limits<std::size_t>::max()), ::testing::ExitedWithCode(1),
                ::testing::Eq(unit_death::as_captured(general_report(772))));
}

TEST_F(ArrayDeathTest, ReleasingAnUnallocatedArrayReportsF6776) {
    EXPECT_EXIT(
        {
            io::ArrayDescriptor p;
            io::set_bounds(p, 1, 10);
            io::release(p);
        },
        ::testing::ExitedWithCode(1), ::testing::Eq(unit_death::as_captured(general_report(776))));
}

}  // namespace
