// List-directed console input through the real binary: the method number
// and the base name as the main program reads them, from a pipe and from a
// terminal. Values of reals and of the name are checked statement by
// statement in the unit tests; here each input shape must end the run in
// the right way and take the right number of lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/messages.hpp"
#include "runtime/termination.hpp"
#include "support/run_program.hpp"

namespace {

const std::string menu =
    "Informe o metodo de solucao escolhido:\r\n"
    "1 - bissecao; 2 - falsa posicao; 3 - ponto fixo simples\r\n"
    "4 - newton raphson; 5 - secante\r\n";
const std::string after_name_prompt = menu + "Informe o nome do arquivo de saida\r\n";

e2e::RunResult piped(const std::string& input) {
    e2e::RunOptions options;
    options.input = input;
    return e2e::run_program(options);
}

e2e::RunResult typed(std::vector<std::string> lines) {
    e2e::RunOptions options;
    options.typed_lines = std::move(lines);
    return e2e::run_on_terminal(options);
}

// The report of a read error; `typed` is the value as the report shows it.
std::string read_error(int number, const std::string& typed = "") {
    return "\r\nrun-time error F" + std::to_string(6000 + number) + ": READ(CON)\r\n- " +
           std::string(rt::message_text(number)) + (typed.empty() ? "" : "; typed: \"" + typed + "\"") + "\r\n";
}

void expect_silent_end(const e2e::RunResult& run, const std::string& input) {
    EXPECT_EQ(e2e::visible(run.out), e2e::visible(after_name_prompt)) << e2e::visible(input);
    EXPECT_EQ(e2e::visible(run.err), "") << e2e::visible(input);
    EXPECT_EQ(run.status, 0) << e2e::visible(input);
}

// The method number failed: only the menu was shown.
void expect_method_error(const e2e::RunResult& run, int number, const std::string& input,
                         const std::string& typed = "") {
    EXPECT_EQ(e2e::visible(run.err), e2e::visible(read_error(number, typed))) << e2e::visible(input);
    EXPECT_EQ(e2e::visible(run.out), e2e::visible(menu)) << e2e::visible(input);
    EXPECT_EQ(run.status, 1) << e2e::visible(input);
}

// The name failed after the method number was read.
void expect_name_error(const e2e::RunResult& run, int number, const std::string& input,
                       const std::string& typed = "") {
    EXPECT_EQ(e2e::visible(run.err), e2e::visible(read_error(number, typed))) << e2e::visible(input);
    EXPECT_EQ(e2e::visible(run.out), e2e::visible(after_name_prompt)) << e2e::visible(input);
    EXPECT_EQ(run.status, 1) << e2e::visible(input);
}

TEST(ListInput, MethodNumberFormsOutsideTheMenu) {
    // 9, 31 and null values (metodo stays 0) all end the run silently after
    // the name has been read.
    for (std::string line : {"9", "  +9  ", "9,", "9/", "16#1F", ",", "/", "9\r", "#FF", "-1"}) {
        const std::string input = line + "\nraiz\n";
        expect_silent_end(piped(input), input);
    }
}

TEST(ListInput, MethodStatementTakesExactlyOneLine) {
    // The rest of the line is dropped, so the name finds the end of input;
    // with one more line it is read from there.
    for (std::string first : {"9 4 5\n", "9,4\n", "9/4\n", "\n\n9\n", "   \n9\n", "9\r\n"}) {
        expect_name_error(piped(first), rt::msg::end_of_file, first);
        expect_silent_end(piped(first + "raiz\n"), first + "raiz\n");
    }
}

TEST(ListInput, MethodNumberErrors) {
    namespace msg = rt::msg;
    // The report shows what was typed for the value that failed.
    struct Case {
        std::string line;
        int error;
        std::string typed;
    } cases[] = {
        {"3.0", msg::invalid_integer, "3.0"},
        {"abc", msg::invalid_integer, "abc"},
        {"1e0", msg::invalid_integer, "1e0"},
        {"99999999999", msg::integer_out_of_range, "99999999999"},
        {"2147483648", msg::integer_out_of_range, "2147483648"},
        {"16#100000000", msg::integer_out_of_range, "16#100000000"},
        {"16#1#2", msg::second_radix_mark, "16#1#2"},
        {"40#1", msg::radix_out_of_range, "40#1"},
        {"0*1", msg::repeat_count_zero, "0"},
        {"2*2*1", msg::second_repeat_count, "2"},
        {"'9'", msg::value_form, "9"},
        {"(9)", msg::value_form, "9"},
        {std::string(300, '9'), msg::value_too_long, std::string(40, '9') + "..."},
    };
    for (const Case& c : cases) {
        const std::string input = c.line + "\nraiz\n";
        expect_method_error(piped(input), c.error, input, c.typed);
    }
}

TEST(ListInput, NameForms) {
    const std::string seventy(70, 'n');
    for (std::string line : {"meu arquivo", "'meu arquivo'", "a/b", "2*abc", "'it''s'", "relatorio", "C:\\dados\\raiz",
                             seventy.c_str(), "\"aspas\"", ",", "/", "( a , b )"}) {
        const std::string input = "9\n" + line + "\n";
        expect_silent_end(piped(input), input);
    }
}

TEST(ListInput, NameReadAsRepeatCount) {
    const std::string input = "9\na*b\n";
    expect_name_error(piped(input), rt::msg::invalid_integer, input, "a");
}

TEST(ListInput, EndOfInputAtEachPrompt) {
    expect_method_error(piped(""), rt::msg::end_of_file, "");
    expect_method_error(piped("\n\n"), rt::msg::end_of_file, "\\n\\n");
    expect_name_error(piped("9\n"), rt::msg::end_of_file, "9\\n");
    expect_name_error(piped("9\n  \n\n"), rt::msg::end_of_file, "9 and blank lines");
}

TEST(ListInput, InputWithoutFinalLineEnd) {
    expect_silent_end(piped("9\nraiz"), "9\\nraiz");
    expect_name_error(piped("9"), rt::msg::end_of_file, "9");
}

TEST(ListInput, LongUnquotedValueOnAPipe) {
    // A name fills the 260 characters of the work area; one more is refused,
    // and so is a 300-character number, rather than read as another number.
    std::string long_name;
    for (int i = 0; i < 261; ++i) long_name += static_cast<char>('a' + i % 26);
    const std::string fits = "9\n" + long_name.substr(0, 260) + "\n";
    expect_silent_end(piped(fits), fits);
    expect_name_error(piped("9\n" + long_name + "\n"), rt::msg::value_too_long, "261 characters",
                      long_name.substr(0, 40) + "...");

    const std::string number = std::string(299, '0') + "9\nraiz\n";
    expect_method_error(piped(number), rt::msg::value_too_long, "300 digits", std::string(40, '0') + "...");

    // Values of one line of 100000 bytes are read through, 132 bytes at a time.
    std::string many;
    while (many.size() < 100000) many += "abcdefgh ";
    const std::string huge = "9\n" + many + "\n";
    expect_silent_end(piped(huge), "a 100000-byte line");
}

// Input that never ends a value (the zero device: NUL is an ordinary
// character) ends in the orderly error as soon as the value outgrows the
// work area, instead of reading for ever.
TEST(ListInput, EndlessValueIsRefused) {
    e2e::RunOptions options;
    options.input_path = "/dev/zero";
    options.timeout_seconds = 20;
    auto run = e2e::run_program(options);
    EXPECT_FALSE(run.timed_out);
    std::string nuls;
    for (int i = 0; i < 40; ++i) nuls += "\\x00";
    expect_method_error(run, rt::msg::value_too_long, "/dev/zero", nuls + "...");
}

TEST(ListInput, BinaryBytesAndNuls) {
    const std::string binary("\0\x01\x02\x7f\x80\xfe\xff\x1b", 8);
    const std::string as_name = "9\n" + binary + "\n";
    expect_silent_end(piped(as_name), as_name);
    const std::string nuls_name = "9\n" + std::string(200, '\0') + "\n";
    expect_silent_end(piped(nuls_name), "9 and 200 NULs");

    const std::string as_method = binary + "\nraiz\n";
    // Bytes that are not printable ASCII are shown escaped.
    expect_method_error(piped(as_method), rt::msg::invalid_integer, as_method,
                        "\\x00\\x01\\x02\\x7F\\x80\\xFE\\xFF\\x1B");
    const std::string nul_method = std::string("\0\n", 2) + "raiz\n";
    expect_method_error(piped(nul_method), rt::msg::invalid_integer, nul_method, "\\x00");
}

TEST(ListInput, UnterminatedQuoteAtTheEndOfInput) {
    for (std::string input : {"9\n'abc", "9\n'abc\n", "9\n'abc\ndef\n", "9\n\"abc''\n"}) {
        expect_name_error(piped(input), rt::msg::end_of_file, input);
    }
    // The quote may close on a later line (its first character skipped).
    const std::string closed = "9\n'meu\nxarquivo'\n";
    expect_silent_end(piped(closed), closed);
}

TEST(ListInput, TerminalLineOf131CharactersIsAccepted) {
    auto run = typed({std::string(130, ' ') + "9\n", "raiz\n"});
    EXPECT_EQ(e2e::visible(run.err), "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(e2e::visible(run.out), e2e::visible(after_name_prompt));
}

TEST(ListInput, TerminalLineOf132CharactersIsRefused) {
    auto run = typed({std::string(131, ' ') + "9\n", "raiz\n"});
    EXPECT_EQ(e2e::visible(run.err), e2e::visible(read_error(rt::msg::console_line_too_long)));
    EXPECT_EQ(run.status, 1);
}

TEST(ListInput, TerminalNameLineOf132CharactersIsRefused) {
    auto run = typed({"9\n", std::string(132, 'n') + "\n"});
    EXPECT_EQ(e2e::visible(run.err), e2e::visible(read_error(rt::msg::console_line_too_long)));
    EXPECT_EQ(run.status, 1);
}

TEST(ListInput, TerminalEndOfInputAtTheNamePrompt) {
    auto run = typed({"9\n", "\x04"});
    EXPECT_EQ(e2e::visible(run.err), e2e::visible(read_error(rt::msg::end_of_file)));
    EXPECT_EQ(run.status, 1);
}

TEST(ListInput, TerminalLettersForTheMethodNumber) {
    auto run = typed({"abc\n"});
    EXPECT_EQ(e2e::visible(run.err), e2e::visible(read_error(rt::msg::invalid_integer, "abc")));
    EXPECT_EQ(run.status, 1);
}

}  // namespace
