// The output statement protocol: the begin call's checks, nesting, and
// errors reported or returned.
#include <gtest/gtest.h>

#include "io/statement/write_statement.hpp"
#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "platform/files.hpp"
#include "runtime/messages.hpp"
#include "unit/death_output.hpp"

namespace {

constexpr int returned = io::return_errors_flag;

class Statement : public ::testing::Test {
protected:
    void SetUp() override {
        io::create_console_units();
        io::console_output_unit().connection.out_handle =
            plat::open_file(plat::null_device_path(), plat::Creation::open_existing, plat::FileAccess::write).handle;
    }
};

TEST_F(Statement, BeginCallRefusesBadUnitsAndAdvanceTexts) {
    EXPECT_EQ(io::begin_write(40000, "(I5)", -1, nullptr, 0, returned), rt::msg::bad_unit_number);
    EXPECT_EQ(io::end_write(), rt::msg::bad_unit_number);
    EXPECT_EQ(io::begin_write(7, "(I5)", -1, "MAYBE", 5, returned), rt::msg::bad_advance);
    EXPECT_EQ(io::end_write(), rt::msg::bad_advance);
    // Neither connected nor preconnected.
    EXPECT_EQ(io::begin_write(7, "(I5)", -1, nullptr, 0, returned), 0);
    EXPECT_EQ(io::end_write(), rt::msg::bad_unit_number);
}

TEST_F(Statement, NestingBeyondTheLimitIsRefusedAndUnwindsCleanly) {
    for (int level = 1; level <= 4; ++level)
        EXPECT_EQ(io::begin_write(io::default_output_unit, "(I5)", -1, "no", 2, returned), 0) << level;
    EXPECT_EQ(io::begin_write(io::default_output_unit, "(I5)", -1, nullptr, 0, returned), rt::msg::statements_nested_too_deeply);
    EXPECT_EQ(io::end_write(), rt::msg::statements_nested_too_deeply);
    for (int level = 4; level >= 1; --level) EXPECT_EQ(io::end_write(), 0) << level;
    // Back at the outermost level, a statement works again.
    EXPECT_EQ(io::begin_write(io::default_output_unit, "('ok')", -1, "NO", 2, returned), 0);
    EXPECT_EQ(io::end_write(), 0);
}

TEST_F(Statement, ItemMismatchIsReturnedWhenAsked) {
    EXPECT_EQ(io::begin_write(io::default_output_unit, "(I5)", -1, "NO", 2, returned), 0);
    io::write_real8_item(1.5);
    EXPECT_EQ(io::end_write(), rt::msg::real_needs_real_descriptor);
}

using StatementDeathTest = Statement;

TEST_F(StatementDeathTest, NestingBeyondTheLimitEndsTheRunWithAWriteError) {
    EXPECT_EXIT(
        {
            for (int level = 1; level <= 5; ++level) io::begin_write(io::default_output_unit, "(I5)", -1);
        },
        ::testing::ExitedWithCode(1), unit_death::as_captured("\r\nrun-time error F6098: WRITE\\(CON\\)\r\n- "));
}

}  // namespace
