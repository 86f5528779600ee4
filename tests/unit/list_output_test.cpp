// List-directed console output: the records of a statement and the console's
// carriage control, read back from a file standing in for standard output.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "io/statement/write_statement.hpp"
#include "io/units/console.hpp"
#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "support/files.hpp"

namespace {

class ConsoleOutput : public ::testing::Test {
protected:
    void SetUp() override {
        io::create_console_units();
        unit().connection.out_handle = output_.handle();
        unit().record_written = false;
    }

    static io::Unit& unit() { return io::console_output_unit(); }

    // The bytes written since the last call.
    std::string written() {
        const std::string bytes = test_files::read_file(output_.path());
        const std::string fresh = bytes.substr(std::min(seen_, bytes.size()));
        seen_ = bytes.size();
        return fresh;
    }

    static void prompt(const std::string& text) {
        io::begin_write(io::default_output_unit, nullptr, 0);
        io::write_character_item(text.data(), static_cast<int>(text.size()));
        io::end_write();
    }

    test_files::ScratchFile output_;  // stands in for standard output
    std::size_t seen_ = 0;
};

TEST_F(ConsoleOutput, EachLineEndIsOwedUntilTheNextRecord) {
    prompt("Informe o metodo de solucao escolhido:");
    EXPECT_EQ(written(), "Informe o metodo de solucao escolhido:");
    EXPECT_TRUE(unit().record_written);
    prompt("second");
    prompt("third");
    EXPECT_EQ(written(), "\r\nsecond\r\nthird");
    io::settle_console_line(unit());
    EXPECT_EQ(written(), "\r\n");
    io::settle_console_line(unit());
    EXPECT_EQ(written(), "") << "the line end is settled once";
}

TEST_F(ConsoleOutput, LongTextsContinueOnRecordsOfEightyCharacters) {
    const std::string t78(78, 'a'), t79(79, 'b'), t100(100, 'c');
    prompt(t78);
    EXPECT_EQ(written(), t78);
    prompt(t79);  // all 79 characters, then an empty record
    EXPECT_EQ(written(), "\r\n" + t79 + "\r\n");
    prompt(t100);
    EXPECT_EQ(written(), "\r\n" + std::string(79, 'c') + "\r\n" + std::string(21, 'c'));
}

TEST_F(ConsoleOutput, StatementWithoutItemsIsAnEmptyLine) {
    prompt("x");
    io::begin_write(io::default_output_unit, nullptr, 0);
    io::end_write();
    prompt("y");
    EXPECT_EQ(written(), "x\r\n\r\ny");
}

TEST_F(ConsoleOutput, NumbersTakeTheirListFields) {
    io::begin_write(io::default_output_unit, nullptr, 0);
    io::write_integer_item(5);
    io::write_integer_item(7);
    io::end_write();
    EXPECT_EQ(written(), std::string(10, ' ') + "5" + std::string(11, ' ') + "7");

    io::begin_write(io::default_output_unit, nullptr, 0);
    io::write_real8_item(14.78);
    io::write_real8_item(0.5);
    io::end_write();
    EXPECT_EQ(written(), "\r\n" + std::string(6, ' ') + "14.780000000000000" + std::string(3, ' ') +
                             "5.000000000000000E-001");

    // A number right after a character item gets no separating blank.
    io::begin_write(io::default_output_unit, nullptr, 0);
    io::write_character_item("n =", 3);
    io::write_integer_item(-42);
    io::end_write();
    EXPECT_EQ(written(), "\r\nn =" + std::string(8, ' ') + "-42");
}

TEST_F(ConsoleOutput, CarriageControlChoosesTheLineEnd) {
    EXPECT_FALSE(io::send_console_record(unit(), "0first", 6).failed());  // nothing owed: '0' still ends a line
    EXPECT_FALSE(io::send_console_record(unit(), "0double", 7).failed());
    EXPECT_FALSE(io::send_console_record(unit(), "+over", 5).failed());
    EXPECT_FALSE(io::send_console_record(unit(), "1page", 5).failed());
    EXPECT_FALSE(io::send_console_record(unit(), "xplain", 6).failed());
    EXPECT_EQ(written(), std::string("\r\nfirst") + "\r\n\r\ndouble" + "\rover" + "\r\n\f\r \rpage" + "\r\nplain");
}

TEST_F(ConsoleOutput, RecordsLongerThanTheConsoleBufferGoInPieces) {
    const std::string long_record = " " + std::string(300, 'z');
    EXPECT_FALSE(io::send_console_record(unit(), long_record.data(), long_record.size()).failed());
    EXPECT_EQ(written(), std::string(300, 'z'));
}

}  // namespace
