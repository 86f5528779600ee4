// The main program's dialogue through the real binary: the console's line
// handling on pipes and on a terminal, and the ends of a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/messages.hpp"
#include "runtime/termination.hpp"
#include "support/run_program.hpp"

namespace {

const std::string menu1 = "Informe o metodo de solucao escolhido:";
const std::string menu2 = "1 - bissecao; 2 - falsa posicao; 3 - ponto fixo simples";
const std::string menu3 = "4 - newton raphson; 5 - secante";
const std::string name_prompt = "Informe o nome do arquivo de saida";
const std::string menu = menu1 + "\r\n" + menu2 + "\r\n" + menu3 + "\r\n";

// The report of a read error; `typed` is the value as the report shows it.
std::string read_error(int number, const std::string& typed = "") {
    return "\r\nrun-time error F" + std::to_string(6000 + number) + ": READ(CON)\r\n- " +
           std::string(rt::message_text(number)) + (typed.empty() ? "" : "; typed: \"" + typed + "\"") + "\r\n";
}

bool directory_is_empty(const std::string& directory) {
    return std::filesystem::is_empty(std::filesystem::path(directory));
}

TEST(Dialogue, PipedMethodOutsideTheMenuEndsSilently) {
    auto run = e2e::run_program({.input = "9\nraiz\n"});
    EXPECT_EQ(e2e::visible(run.out), e2e::visible(menu + name_prompt + "\r\n"));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(directory_is_empty(run.directory));
}

TEST(Dialogue, MethodNumbersWithoutARoutineStillAskForTheName) {
    for (const char* input : {"0\nx\n", "6\nx\n", "-1\nx\n", ",\nx\n"}) {
        auto run = e2e::run_program({.input = input});
        EXPECT_EQ(run.out, menu + name_prompt + "\r\n") << input;
        EXPECT_EQ(run.status, 0) << input;
        EXPECT_TRUE(directory_is_empty(run.directory)) << input;
    }
}

TEST(Dialogue, TerminalOwesEachLineEndUntilTheNextRecordOrRead) {
    auto run = e2e::run_on_terminal({.typed_lines = {"9\n", "raiz\n"}});
    ASSERT_EQ(run.shown_before_typing.size(), 2u);
    // The CR LF of the third line is written before the read, so the answer
    // is typed on the line below; the name prompt then starts at once.
    EXPECT_EQ(e2e::visible(run.shown_before_typing[0]), e2e::visible(menu));
    EXPECT_EQ(e2e::visible(run.shown_before_typing[1]), e2e::visible(menu + name_prompt + "\r\n"));
    EXPECT_EQ(e2e::visible(run.out), e2e::visible(menu + name_prompt + "\r\n"));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

TEST(Dialogue, ConvergedRunOnATerminalEndsWithTheStopMessageOnItsOwnLine) {
    auto run = e2e::run_on_terminal({.typed_lines = {"1\n", "raiz\n", "12 16\n", "0.1\n", "10\n"}});
    const std::string prompts =
        "Informe as extremidades do intervalo considerado [a, b]:\r\nInforme a tolerancia admitida\r\n"
        "Informe o numero maximo de iteracoes\r\n";
    EXPECT_EQ(e2e::visible(run.out),
              e2e::visible(menu + name_prompt + "\r\n" + prompts + "Stop - Program terminated.\r\n"));
    ASSERT_EQ(run.shown_before_typing.size(), 5u);
    EXPECT_EQ(run.shown_before_typing[4], menu + name_prompt + "\r\n" + prompts);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(e2e::file_exists(run.directory + "/raiz.bis.txt"));
}

TEST(Dialogue, LettersForTheMethodNumberEndWithAReadError) {
    auto run = e2e::run_program({.input = "abc\nraiz\n"});
    EXPECT_EQ(e2e::visible(run.err), e2e::visible(read_error(rt::msg::invalid_integer, "abc")));
    EXPECT_EQ(run.out, menu);
    EXPECT_EQ(run.status, 1);
}

TEST(Dialogue, EndOfInputAtEachPromptIsEndOfFile) {
    auto at_method = e2e::run_program({.input = ""});
    EXPECT_EQ(at_method.err, read_error(rt::msg::end_of_file));
    EXPECT_EQ(at_method.status, 1);
    EXPECT_EQ(at_method.out, menu);

    auto at_name = e2e::run_program({.input = "9\n"});
    EXPECT_EQ(at_name.err, read_error(rt::msg::end_of_file));
    EXPECT_EQ(at_name.status, 1);
    EXPECT_EQ(at_name.out, menu + name_prompt + "\r\n");
}

TEST(Dialogue, ControlDOnAnEmptyTerminalLineIsEndOfFile) {
    auto run = e2e::run_on_terminal({.typed_lines = {"\x04"}});
    EXPECT_EQ(run.err, read_error(rt::msg::end_of_file));
    EXPECT_EQ(run.status, 1);
}

TEST(Dialogue, ControlZLineIsEndOfFile) {
    for (const char* line : {"\x1a\r\n", "\x1a\n"}) {
        auto run = e2e::run_program({.input = line});
        EXPECT_EQ(run.err, read_error(rt::msg::end_of_file)) << e2e::visible(line);
        EXPECT_EQ(run.status, 1) << e2e::visible(line);
    }
}

// A Linux terminal delivers a typed Ctrl+Z (taken literally after Ctrl+V)
// and Enter as 0x1A LF: the end of the input at every question.
TEST(Dialogue, ControlZEnterOnATerminalEndsTheInputAtEveryQuestion) {
    const std::vector<std::vector<std::string>> dialogues = {
        {"1\n", "raiz\n", "12 16\n", "0.1\n", "10\n"},  // bisection
        {"3\n", "raiz\n", "0.1\n", "10\n", "10\n"},     // fixed point: tolerance, limit, p0
        {"5\n", "raiz\n", "0.1\n", "10\n", "10 12\n"},  // secant: the two estimates
    };
    for (const auto& answers : dialogues) {
        for (std::size_t at = 0; at < answers.size(); ++at) {
            std::vector<std::string> typed(answers.begin(), answers.begin() + static_cast<long>(at));
            typed.push_back("\x16\x1a\n");
            auto run = e2e::run_on_terminal({.typed_lines = typed});
            EXPECT_EQ(e2e::visible(run.err), e2e::visible(read_error(rt::msg::end_of_file))) << answers[0] << " question " << at;
            EXPECT_EQ(run.status, 1) << answers[0] << " question " << at;
        }
    }
}

}  // namespace
