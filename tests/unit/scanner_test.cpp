// List-directed input statements read from a pipe (and from a pseudo-terminal
// for the console's own line rules) installed as the console input unit.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "io/statement/read_statement.hpp"
#include "runtime/messages.hpp"
#include "io/units/console.hpp"
#include "io/units/failure.hpp"
#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "runtime/termination.hpp"

namespace {

// One item of a statement: the variable and its class.
struct Item {
    enum Class { integer, real, character } item_class;
    std::int32_t* integer_value = nullptr;
    double* real_value = nullptr;
    char* text = nullptr;
    int length = 0;
};

Item integer_item(std::int32_t& value) { return {Item::integer, &value}; }
Item real_item(double& value) { return {Item::real, nullptr, &value}; }
Item character_item(char* text, int length) { return {Item::character, nullptr, nullptr, text, length}; }

// Runs one input statement asking for returned errors; the status of the
// first failing call, else of the end call.
int read_statement(std::initializer_list<Item> items) {
    int status = io::begin_read(io::default_input_unit, io::return_errors_flag);
    for (const Item& item : items) {
        if (status != 0) break;
        switch (item.item_class) {
            case Item::integer: status = io::read_integer_item(*item.integer_value); break;
            case Item::real: status = io::read_real8_item(*item.real_value); break;
            case Item::character: status = io::read_character_item(item.text, item.length); break;
        }
    }
    const int end_status = io::end_read();
    return status != 0 ? status : end_status;
}

// A fixed-length character variable with guard bytes behind it, so that a
// store beyond its length shows.
struct Name {
    static constexpr int guard = 16;
    std::vector<char> bytes;
    int length;

    explicit Name(int n, char fill = '\0') : bytes(static_cast<std::size_t>(n + guard), '#'), length(n) {
        std::memset(bytes.data(), fill, static_cast<std::size_t>(n));
    }
    char* data() { return bytes.data(); }
    std::string value() const { return std::string(bytes.data(), static_cast<std::size_t>(length)); }
    bool guard_intact() const { return std::string(bytes.data() + length, guard) == std::string(guard, '#'); }
};

std::string padded(const std::string& text, int length) {
    return text + std::string(static_cast<std::size_t>(length) - text.size(), ' ');
}

class InputStatements : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::signal(SIGPIPE, SIG_IGN);  // a writer whose reader has gone gets an error instead
        io::create_console_units();
    }

    void SetUp() override {
        unit_ = &io::console_input_unit();
        saved_in_ = unit_->connection.in_handle;
        saved_out_ = unit_->connection.out_handle;
    }

    void TearDown() override {
        finish_writer();
        if (read_end_ >= 0) ::close(read_end_);
        unit_->connection.in_handle = saved_in_;
        unit_->connection.out_handle = saved_out_;
        unit_->record_written = false;
        reset_buffer();
    }

    // The bytes become standard input: a pipe, written by a thread so that
    // any amount fits, closed at the end so that the end of input shows.
    void feed(std::string bytes) { feed_in_pieces({std::move(bytes)}); }

    // Each piece is passed on by its own write, after a pause, as a slow
    // writer would.
    void feed_in_pieces(std::vector<std::string> pieces) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        read_end_ = ends[0];
        writer_ = std::thread([fd = ends[1], pieces = std::move(pieces)] {
            for (std::size_t p = 0; p < pieces.size(); ++p) {
                if (p > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
                const std::string& bytes = pieces[p];
                std::size_t done = 0;
                while (done < bytes.size()) {
                    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
                    if (n <= 0) break;
                    done += static_cast<std::size_t>(n);
                }
            }
            ::close(fd);
        });
        install(read_end_);
    }

    void install(int handle) {
        unit_->connection.in_handle = handle;
        unit_->record_written = false;
        unit_->at_eof = false;
        reset_buffer();
    }

    void reset_buffer() {
        unit_->buffer.position = 0;
        unit_->buffer.last_valid = -1;
    }

    void finish_writer() {
        if (writer_.joinable()) {
            if (read_end_ >= 0) {
                ::close(read_end_);  // a writer blocked on a full pipe gives up
                read_end_ = -1;
            }
            writer_.join();
        }
    }

    // What the next statement reads as one character value, to see where a
    // statement left the input.
    std::string next_line_value() {
        Name rest(40);
        EXPECT_EQ(read_statement({character_item(rest.data(), rest.length)}), 0);
        std::string text = rest.value();
        return text.substr(0, text.find_last_not_of(' ') + 1);
    }

    int read_one_integer(std::int32_t& value) { return read_statement({integer_item(value)}); }

    io::Unit* unit_ = nullptr;
    int saved_in_ = -1;
    int saved_out_ = -1;
    int read_end_ = -1;
    std::thread writer_;
};

TEST_F(InputStatements, IntegerValuesAndTheirSeparators) {
    struct Case {
        std::string input;
        std::int32_t expected;
    } cases[] = {
        {"3\n", 3}, {"  +3  \n", 3}, {"3,\n", 3}, {"3/\n", 3}, {"\t-12\t\n", -12}, {"16#1F\n", 31}, {"3", 3},
        {"3\r\n", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        feed(c.input.back() == '\n' ? c.input + "next\n" : c.input);
        std::int32_t value = 0;
        EXPECT_EQ(read_one_integer(value), 0);
        EXPECT_EQ(value, c.expected);
        if (c.input.back() == '\n') {
            EXPECT_EQ(next_line_value(), "next");
        }
        TearDown();
        SetUp();
    }
}

TEST_F(InputStatements, RestOfTheLineIsDiscardedAtTheEnd) {
    feed("3 4 5\n6\n");
    std::int32_t value = 0;
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 3);
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 6);
    EXPECT_EQ(read_one_integer(value), rt::msg::end_of_file);
    EXPECT_TRUE(unit_->at_eof);
}

TEST_F(InputStatements, SeveralValuesOnOneLine) {
    feed("1,2\n1 , 2\n1\t2\n1 ,, 3\n1,,3\n");
    std::int32_t a = 0, b = 0, c = 0;
    ASSERT_EQ(read_statement({integer_item(a), integer_item(b)}), 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    a = b = 0;
    ASSERT_EQ(read_statement({integer_item(a), integer_item(b)}), 0);  // blanks and a comma: one separator
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    a = b = 0;
    ASSERT_EQ(read_statement({integer_item(a), integer_item(b)}), 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    for (int round = 0; round < 2; ++round) {
        a = b = 0;
        c = 77;
        b = 55;
        ASSERT_EQ(read_statement({integer_item(a), integer_item(b), integer_item(c)}), 0);
        EXPECT_EQ(a, 1);
        EXPECT_EQ(b, 55) << "two commas give a null value";
        EXPECT_EQ(c, 3);
    }
}

TEST_F(InputStatements, NullValuesKeepTheVariable) {
    feed(",\n/\n,5\n  ,\n");
    std::int32_t value = 42;
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 42);
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 42);
    std::int32_t second = 0;
    ASSERT_EQ(read_statement({integer_item(value), integer_item(second)}), 0);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(second, 5);
    ASSERT_EQ(read_one_integer(value), 0);  // blanks then a comma at the start
    EXPECT_EQ(value, 42);
    EXPECT_EQ(read_one_integer(value), rt::msg::end_of_file);
}

TEST_F(InputStatements, SlashLeavesTheRemainingItems) {
    feed("1/\n1/2\n7 / 8\nnext\n");
    for (int round = 0; round < 3; ++round) {
        std::int32_t a = 0, b = -1;
        double r = -1.0;
        ASSERT_EQ(read_statement({integer_item(a), integer_item(b), real_item(r)}), 0);
        EXPECT_EQ(a, round == 2 ? 7 : 1);
        EXPECT_EQ(b, -1);
        EXPECT_EQ(r, -1.0);
    }
    EXPECT_EQ(next_line_value(), "next");
}

TEST_F(InputStatements, EmptyLinesAreSkipped) {
    feed("\n\n   \n\t\n3\n");
    std::int32_t value = 0;
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 3);
}

TEST_F(InputStatements, ValuesOfOneStatementSpanLines) {
    feed("1.5\n2.5\nnext\n");
    double a = 0, b = 0;
    ASSERT_EQ(read_statement({real_item(a), real_item(b)}), 0);
    EXPECT_EQ(a, 1.5);
    EXPECT_EQ(b, 2.5);
    EXPECT_EQ(next_line_value(), "next") << "a value ended by its line end leaves the next line alone";
}

TEST_F(InputStatements, CommaIsASeparatorNotADecimalMark) {
    feed("0,001\n1,5 2,5\n");
    double a = 9, b = 9;
    ASSERT_EQ(read_statement({real_item(a)}), 0);
    EXPECT_EQ(a, 0.0);
    ASSERT_EQ(read_statement({real_item(a), real_item(b)}), 0);
    EXPECT_EQ(a, 1.0);
    EXPECT_EQ(b, 5.0);
    EXPECT_EQ(read_statement({real_item(a)}), rt::msg::end_of_file);
}

TEST_F(InputStatements, RealForms) {
    feed("1d-6\n1E-6\n1-6\n.000001\n2+1\n-3\n");
    const double expected[] = {1e-6, 1e-6, 1e-6, 1e-6, 20.0, -3.0};
    for (double e : expected) {
        double value = 0;
        ASSERT_EQ(read_statement({real_item(value)}), 0);
        EXPECT_EQ(value, e);
    }
}

TEST_F(InputStatements, ConversionErrorsLeaveTheItem) {
    struct Case {
        std::string input;
        bool real;
        int error;
    } cases[] = {
        {"3.0\n", false, rt::msg::invalid_integer},   {"abc\n", false, rt::msg::invalid_integer},
        {"2147483648\n", false, rt::msg::integer_out_of_range}, {"16#1#2\n", false, rt::msg::second_radix_mark},
        {"40#1\n", false, rt::msg::radix_out_of_range},      {"1.e\n", true, rt::msg::invalid_real},
        {"1.5.2\n", true, rt::msg::invalid_real},     {"1e999\n", true, rt::msg::real_out_of_range},
        {"'3'\n", false, rt::msg::value_form},        {"\"3\"\n", true, rt::msg::value_form},
        {"(1,2)\n", true, rt::msg::value_form},       {"(3)\n", false, rt::msg::value_form},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        feed(c.input);
        std::int32_t integer = 77;
        double real = 77.0;
        EXPECT_EQ(c.real ? read_statement({real_item(real)}) : read_statement({integer_item(integer)}), c.error);
        EXPECT_EQ(integer, 77);
        EXPECT_EQ(real, 77.0);
        TearDown();
        SetUp();
    }
}

TEST_F(InputStatements, ErrorAbandonsTheRestOfTheStatement) {
    feed("x 5\n6\n");
    std::int32_t a = 1, b = 2;
    ASSERT_EQ(io::begin_read(io::default_input_unit, io::return_errors_flag), 0);
    EXPECT_EQ(io::read_integer_item(a), rt::msg::invalid_integer);
    EXPECT_EQ(io::read_integer_item(b), rt::msg::invalid_integer);
    EXPECT_EQ(io::end_read(), rt::msg::invalid_integer);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2) << "no value is read after the error";
    // The failed statement did not take its line end: " 5" is what is left.
    ASSERT_EQ(read_one_integer(a), 0);
    EXPECT_EQ(a, 5);
}

TEST_F(InputStatements, RepeatCounts) {
    feed("2*7.5\n3*5 6\n-1*4\n2*'ab'\n1*9\n2* 5\nafter\n");
    double a = 0, b = 0;
    ASSERT_EQ(read_statement({real_item(a), real_item(b)}), 0);
    EXPECT_EQ(a, 7.5);
    EXPECT_EQ(b, 7.5);

    std::int32_t i = 0, j = 0, k = 0;
    ASSERT_EQ(read_statement({integer_item(i), integer_item(j)}), 0);
    EXPECT_EQ(i, 5);
    EXPECT_EQ(j, 5);

    // A negative count is compared without sign and never runs out.
    ASSERT_EQ(read_statement({integer_item(i), integer_item(j), integer_item(k)}), 0);
    EXPECT_EQ(i, 4);
    EXPECT_EQ(j, 4);
    EXPECT_EQ(k, 4);

    Name first(5), second(8);
    ASSERT_EQ(read_statement({character_item(first.data(), first.length), character_item(second.data(), second.length)}),
              0);
    EXPECT_EQ(first.value(), "ab   ");
    EXPECT_EQ(second.value(), "ab      ") << "a repeated quoted value reaches the later item whole";

    ASSERT_EQ(read_one_integer(i), 0);
    EXPECT_EQ(i, 9);

    // "2*" followed by a blank: two null values.
    i = 11;
    j = 12;
    ASSERT_EQ(read_statement({integer_item(i), integer_item(j)}), 0);
    EXPECT_EQ(i, 11);
    EXPECT_EQ(j, 12);
    EXPECT_EQ(next_line_value(), "after");
}

TEST_F(InputStatements, RepeatCountAloneOnItsLineReadsOneMoreLine) {
    feed("2*\ndropped\nkept\n");
    double a = 1, b = 2;
    ASSERT_EQ(read_statement({real_item(a), real_item(b)}), 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(next_line_value(), "kept");
}

TEST_F(InputStatements, RepeatCountErrors) {
    struct Case {
        std::string input;
        int error;
    } cases[] = {
        {"0*1\n", rt::msg::repeat_count_zero},         {"*1\n", rt::msg::repeat_count_zero},
        {"2*2*1\n", rt::msg::second_repeat_count},     {"a*b\n", rt::msg::invalid_integer},
        {"1.5*2\n", rt::msg::invalid_integer},   {"99999999999*1\n", rt::msg::integer_out_of_range},
        {std::string(300, '1') + "*1\n", rt::msg::value_too_long},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        feed(c.input);
        std::int32_t a = 3, b = 4;
        EXPECT_EQ(read_statement({integer_item(a), integer_item(b)}), c.error);
        EXPECT_EQ(a, 3);
        TearDown();
        SetUp();
    }
    // The text before "*" is an integer for a character item too.
    feed("a*b\n");
    Name name(10);
    EXPECT_EQ(read_statement({character_item(name.data(), name.length)}), rt::msg::invalid_integer);
}

TEST_F(InputStatements, NamesWithoutQuotes) {
    struct Case {
        std::string input;
        std::string expected;
    } cases[] = {
        {"meu arquivo\n", "meu"},
        {"a/b\n", "a"},
        {"2*abc\n", "abc"},
        {"a'b\n", "a'b"},
        {"x(1)\n", "x(1)"},
        {"C:\\Users\\ana\\raiz\n", "C:\\Users\\ana\\raiz"},
        {"  relatorio  \n", "relatorio"},
        {"( a b , c )\n", "ab,c"},
        {"abcde\n", "abcde"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        feed(c.input);
        Name name(60);
        ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
        EXPECT_EQ(name.value(), padded(c.expected, 60));
        EXPECT_TRUE(name.guard_intact());
        TearDown();
        SetUp();
    }
}

TEST_F(InputStatements, LongNameKeepsItsFirstCharacters) {
    std::string seventy;
    for (int i = 0; i < 70; ++i) seventy += static_cast<char>('a' + i % 26);
    feed(seventy + "\n'" + seventy + "'\n");
    for (int round = 0; round < 2; ++round) {
        Name name(60);
        ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
        EXPECT_EQ(name.value(), seventy.substr(0, 60));
        EXPECT_TRUE(name.guard_intact());
    }
}

TEST_F(InputStatements, QuotedNames) {
    struct Case {
        std::string input;
        std::string expected;
    } cases[] = {
        {"'meu arquivo'\n", "meu arquivo"},
        {"'it''s'\n", "it's"},
        {"\"a'b\"\n", "a'b"},
        {"\"say \"\"hi\"\"\"\n", "say \"hi\""},
        {"'a,b/c*d'\n", "a,b/c*d"},
        {"  'x'  \n", "x"},
        {"'abc\ndef'\n", "abcef"},  // the next line's first character is skipped
        {"'abc\r\ndef'\r\n", "abcef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        feed(c.input + "next\n");
        Name name(60);
        ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
        EXPECT_EQ(name.value(), padded(c.expected, 60));
        EXPECT_TRUE(name.guard_intact());
        EXPECT_EQ(next_line_value(), "next");
        TearDown();
        SetUp();
    }
}

TEST_F(InputStatements, EmptyQuotesAreANullValue) {
    feed("''\n");
    Name name(10, 'z');
    ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
    EXPECT_EQ(name.value(), std::string(10, 'z'));
}

TEST_F(InputStatements, QuotedValueEndsWhereTheQuoteEnds) {
    feed("'ab'cd 'ef',x\n");
    Name a(4), b(4), c(4);
    ASSERT_EQ(read_statement({character_item(a.data(), 4), character_item(b.data(), 4), character_item(c.data(), 4)}),
              0);
    EXPECT_EQ(a.value(), "ab  ");
    EXPECT_EQ(b.value(), "d   ") << "the character after the closing quote is its separator";
    EXPECT_EQ(c.value(), "ef  ");
}

TEST_F(InputStatements, QuotedValueLongerThanTheItemStopsAtItsLength) {
    feed("'" + std::string(200, 'q') + "'\n");
    Name name(60);
    ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
    EXPECT_EQ(name.value(), std::string(60, 'q'));
    EXPECT_TRUE(name.guard_intact());
}

// Even a quoted value that never ends (no closing quote, no end of input)
// is refused as it outgrows the work area.
TEST_F(InputStatements, QuotedValueLongerThanTheWorkAreaIsRefused) {
    feed("'" + std::string(261, 'q') + "'\n");
    Name name(60);
    EXPECT_EQ(read_statement({character_item(name.data(), name.length)}), rt::msg::value_too_long);
    EXPECT_TRUE(name.guard_intact());
}

TEST_F(InputStatements, UnterminatedQuoteAtTheEndOfInput) {
    feed("'abc");
    Name name(10, 'z');
    EXPECT_EQ(read_statement({character_item(name.data(), name.length)}), rt::msg::end_of_file);
    EXPECT_TRUE(name.guard_intact());
    EXPECT_TRUE(unit_->at_eof);
}

TEST_F(InputStatements, ValueLongerThanTheWorkArea) {
    std::string long_name;
    for (int i = 0; i < 300; ++i) long_name += static_cast<char>('A' + i % 26);
    feed(long_name + " tail\n" + std::string(300, '1') + "\n" + "0." + std::string(298, '0') + "\nnext\n");

    // Any value is refused as soon as it outgrows the work area, so that
    // input that never ends a value cannot keep a statement reading.
    Name wide(300);
    EXPECT_EQ(read_statement({character_item(wide.data(), wide.length)}), rt::msg::value_too_long);
    EXPECT_TRUE(wide.guard_intact());
    TearDown();
    SetUp();
    feed(std::string(260, 'n') + "\n" + std::string(300, '1') + "\n");
    ASSERT_EQ(read_statement({character_item(wide.data(), wide.length)}), 0);
    EXPECT_EQ(wide.value(), padded(std::string(260, 'n'), 300));

    std::int32_t integer = 5;
    EXPECT_EQ(read_one_integer(integer), rt::msg::value_too_long);
    EXPECT_EQ(integer, 5);
    TearDown();
    SetUp();
    feed("0." + std::string(298, '0') + "\nnext\n");
    double real = 5;
    EXPECT_EQ(read_statement({real_item(real)}), rt::msg::value_too_long);
    EXPECT_EQ(real, 5);
}

TEST_F(InputStatements, ValueSpanningSeveralBufferFills) {
    // A 250-character name with no line end for 400 bytes is read in
    // 132-byte pieces and arrives whole.
    std::string name_text;
    for (int i = 0; i < 250; ++i) name_text += static_cast<char>('a' + i % 26);
    feed(std::string(150, ' ') + name_text + "\nnext\n");
    Name name(255);
    ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
    EXPECT_EQ(name.value(), padded(name_text, 255));
    EXPECT_EQ(next_line_value(), "next");
}

TEST_F(InputStatements, InputEndingWithoutLineEnd) {
    feed("42");
    std::int32_t value = 0;
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 42);

    // Exactly one buffer of 132 bytes with no line end: the value is still
    // whole and the end of input comes only after it.
    TearDown();
    SetUp();
    feed(std::string(129, ' ') + "123");
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 123);
    EXPECT_EQ(read_one_integer(value), rt::msg::end_of_file);

    TearDown();
    SetUp();
    feed(std::string(127, ' ') + "'abc'");
    Name name(5);
    ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
    EXPECT_EQ(name.value(), "abc  ");
}

TEST_F(InputStatements, LineWrittenInPiecesArrivesWhole) {
    // Where a pipe's writer splits its line does not split a value.
    feed_in_pieces({"  12", "34 5", "6\n", "'ab", "cd'\n"});
    std::int32_t a = 0, b = 0;
    ASSERT_EQ(read_statement({integer_item(a), integer_item(b)}), 0);
    EXPECT_EQ(a, 1234);
    EXPECT_EQ(b, 56);
    Name name(6);
    ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
    EXPECT_EQ(name.value(), "abcd  ");
}

TEST_F(InputStatements, EndOfInputAndCtrlZ) {
    feed("");
    std::int32_t value = 1;
    EXPECT_EQ(read_one_integer(value), rt::msg::end_of_file);
    EXPECT_EQ(value, 1);
    TearDown();
    SetUp();

    feed("\x1a\r\n");
    EXPECT_EQ(read_one_integer(value), rt::msg::end_of_file);
    EXPECT_TRUE(unit_->at_eof);
    TearDown();
    SetUp();

    // Blank lines only: reading goes on to the end of input.
    feed("\n\n\n");
    EXPECT_EQ(read_one_integer(value), rt::msg::end_of_file);
}

TEST_F(InputStatements, ReadFailure) {
    const int directory = ::open("/", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(directory, 0);
    install(directory);
    std::int32_t value = 1;
    EXPECT_EQ(read_one_integer(value), rt::msg::read_failure);
    ::close(directory);
}

TEST_F(InputStatements, BinaryBytesAndNuls) {
    const std::string binary("\0\x01\x7f\xff\x80", 5);
    feed(binary + "\n" + binary + "\n" + std::string("\0\0\n", 3));
    Name name(8, 'z');
    ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
    EXPECT_EQ(name.value(), binary + "   ");
    std::int32_t integer = 3;
    EXPECT_EQ(read_one_integer(integer), rt::msg::invalid_integer);
    EXPECT_EQ(integer, 3);
    TearDown();
    SetUp();
    feed(std::string("\0\0\n", 3));
    double real = 3;
    EXPECT_EQ(read_statement({real_item(real)}), rt::msg::invalid_real);
}

// Random bytes, including every separator and quote, end each statement in a
// value, a null value or an error, never past the variables.
TEST_F(InputStatements, RandomBytesEndInOrder) {
    std::mt19937 random(20240607);
    const std::string alphabet = std::string("0123456789+-.eEd#*/,'\"() \t\r\n\x1a") + std::string("\0\xff", 2);
    for (int round = 0; round < 300; ++round) {
        std::string input;
        const int size = static_cast<int>(random() % 600);
        for (int i = 0; i < size; ++i)
            input += random() % 4 == 0 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
        SCOPED_TRACE("round " + std::to_string(round));
        feed(input);
        int status = 0;
        for (int statement = 0; statement < 1000 && status != rt::msg::end_of_file; ++statement) {
            std::int32_t integer = 0;
            double real = 0;
            Name name(20);
            switch (statement % 3) {
                case 0: status = read_statement({integer_item(integer), real_item(real)}); break;
                case 1: status = read_statement({character_item(name.data(), name.length), real_item(real)}); break;
                default: status = read_statement({character_item(name.data(), name.length)}); break;
            }
            ASSERT_TRUE(name.guard_intact());
            ASSERT_TRUE(status == 0 || (status >= 100 && status <= 505)) << status;
        }
        EXPECT_EQ(status, rt::msg::end_of_file) << "the input ends every round";
        TearDown();
        SetUp();
    }
}

TEST_F(InputStatements, OutputOnTheSingleConsoleUnitDropsTypedAhead) {
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    unit_->connection.out_handle = output[1];
    feed("1\n2\n3\n");
    std::int32_t value = 0;
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 1);

    // Without output since the last read, the buffered line is used.
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 2);

    // A record written on the unit since: its line end is written and the
    // rest of the buffer ("3\n") is dropped, so the next line comes from a
    // new read, which finds the end of input.
    unit_->record_written = true;
    EXPECT_EQ(read_one_integer(value), rt::msg::end_of_file);
    EXPECT_FALSE(unit_->record_written);
    ::close(output[1]);
    char bytes[8];
    EXPECT_EQ(::read(output[0], bytes, sizeof bytes), 2);
    EXPECT_EQ(std::string(bytes, 2), "\r\n");
    ::close(output[0]);
}

TEST_F(InputStatements, EndOfReadClearsTheOwedLineEnd) {
    feed("5\n");
    unit_->connection.out_handle = -1;
    unit_->record_written = true;
    std::int32_t value = 0;
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 5) << "a fresh pipe read still finds the line";
    EXPECT_FALSE(unit_->record_written);
}

TEST_F(InputStatements, ConsoleLineUsesBufferedBytesFirst) {
    feed("1\narquivo.txt\r\n" + std::string(300, 'x') + "\nlast\n");
    std::int32_t value = 0;
    ASSERT_EQ(read_one_integer(value), 0);
    char line[300];
    EXPECT_EQ(io::read_console_line(line, 260), 11);
    EXPECT_EQ(std::string(line, 11), "arquivo.txt");
    EXPECT_EQ(io::read_console_line(line, 300), 300);
    EXPECT_EQ(std::string(line, 300), std::string(300, 'x'));
    EXPECT_EQ(io::read_console_line(line, 260), 4);
    EXPECT_EQ(std::string(line, 4), "last");
    EXPECT_THROW(io::read_console_line(line, 260), io::IoFailure);
}

TEST_F(InputStatements, ConsoleLineLongerThanItsRoomIsRefused) {
    feed(std::string(261, 'x') + "\n");
    char line[260];
    try {
        io::read_console_line(line, 260);
        ADD_FAILURE() << "a line longer than its room was taken";
    } catch (const io::IoFailure& failure) {
        EXPECT_EQ(failure.message_number, rt::msg::value_too_long);
    }
}

TEST_F(InputStatements, ConsoleLineKeepsInnerCarriageReturns) {
    feed("a\rb\r\n\n");
    char line[16];
    EXPECT_EQ(io::read_console_line(line, 16), 3);
    EXPECT_EQ(std::string(line, 3), "a\rb");
    EXPECT_EQ(io::read_console_line(line, 16), 0);
}

// Without returned errors the statement ends the program with its report.
TEST_F(InputStatements, ErrorEndsTheProgramWithItsReport) {
    const std::string report = "run-time error F6101: READ\\(CON\\)";
    EXPECT_EXIT(
        {
            feed("abc\n");
            std::int32_t value = 0;
            io::begin_read(io::default_input_unit);
            io::read_integer_item(value);
            io::end_read();
        },
        ::testing::ExitedWithCode(1), report);
    EXPECT_EXIT(
        {
            feed("");
            Name name(60);
            io::begin_read(io::default_input_unit);
            io::read_character_item(name.data(), name.length);
            io::end_read();
        },
        ::testing::ExitedWithCode(1), "run-time error F6501: READ\\(CON\\)");
}

// A pseudo-terminal as standard input: one typed line per read.
class TerminalInput : public InputStatements {
protected:
    void SetUp() override {
        InputStatements::SetUp();
        ASSERT_EQ(::openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
        termios settings{};
        ASSERT_EQ(::tcgetattr(slave_, &settings), 0);
        settings.c_lflag |= ICANON;
        settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ASSERT_EQ(::tcsetattr(slave_, TCSANOW, &settings), 0);
        install(slave_);
    }
    void TearDown() override {
        ::close(master_);
        ::close(slave_);
        InputStatements::TearDown();
    }
    void type(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int master_ = -1;
    int slave_ = -1;
};

TEST_F(TerminalInput, LineOf131CharactersIsAccepted) {
    type(std::string(128, ' ') + "123\n");
    std::int32_t value = 0;
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 123);
}

TEST_F(TerminalInput, LineOf132CharactersIsRefused) {
    type(std::string(129, ' ') + "123\n");
    std::int32_t value = 0;
    EXPECT_EQ(read_one_integer(value), rt::msg::console_line_too_long);
    EXPECT_EQ(value, 0);
}

TEST_F(TerminalInput, EachStatementTakesANewLine) {
    type("1 2 3\n4\n");
    std::int32_t value = 0;
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 1);
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 4);
}

TEST_F(TerminalInput, RepeatCountAloneReadsOneMoreLine) {
    type("2*\ndropped\n7\n");
    double a = 1, b = 2;
    ASSERT_EQ(read_statement({real_item(a), real_item(b)}), 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    std::int32_t value = 0;
    ASSERT_EQ(read_one_integer(value), 0);
    EXPECT_EQ(value, 7);
}

TEST_F(TerminalInput, CtrlDOnAnEmptyLineIsTheEndOfInput) {
    type("\x04");
    std::int32_t value = 0;
    EXPECT_EQ(read_one_integer(value), rt::msg::end_of_file);
    EXPECT_TRUE(unit_->at_eof);
}

TEST_F(TerminalInput, UnterminatedQuoteGoesOnWithTheNextTypedLine) {
    type("'meu\n arquivo'\n");
    Name name(12);
    ASSERT_EQ(read_statement({character_item(name.data(), name.length)}), 0);
    EXPECT_EQ(name.value(), "meuarquivo  ");
}

}  // namespace
