#include "io/chars/chars.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using namespace std::string_literals;

// The file name a routine builds from a 60-character base name and its tag.
std::string build_report_name(const std::string& nome, std::string_view tag) {
    EXPECT_EQ(nome.size(), 60u);
    const io::CharacterTemporary adjusted = io::left_adjust(nome.data(), 60);
    int m = io::length_without_trailing_blanks(adjusted.data(), 60);
    std::string arquivo(70, '#');
    io::concatenate(arquivo.data(), 70, {io::substring(adjusted.data(), 1, m), tag});
    return arquivo;
}

std::string padded(std::string text, std::size_t length) {
    text.resize(length, ' ');
    return text;
}

TEST(Substring, TakesInclusivePositionsAndIsEmptyWhenLastBelowFirst) {
    const char* value = "abcdef";
    EXPECT_EQ(io::substring(value, 2, 4), "bcd");
    EXPECT_EQ(io::substring(value, 1, 6), "abcdef");
    EXPECT_EQ(io::substring(value, 3, 3), "c");
    EXPECT_TRUE(io::substring(value, 4, 3).empty());
    EXPECT_TRUE(io::substring(value, 5, 1).empty());
}

TEST(Assign, PadsAShorterSourceWithBlanksAndCutsALongerOne) {
    std::string dest(8, '#');
    io::assign(dest.data(), 8, "abc");
    EXPECT_EQ(dest, "abc     ");

    io::assign(dest.data(), 8, "0123456789");
    EXPECT_EQ(dest, "01234567");

    io::assign(dest.data(), 8, "");
    EXPECT_EQ(dest, "        ");
}

TEST(Assign, LeavesADestinationOfNegativeOrZeroLengthAlone) {
    std::string dest = "untouched";
    io::assign(dest.data(), -3, "xyz");
    EXPECT_EQ(dest, "untouched");
    io::assign(dest.data(), 0, "xyz");
    EXPECT_EQ(dest, "untouched");
    io::assign_substring(dest.data(), 5, 2, "xyz", 1, 3);
    EXPECT_EQ(dest, "untouched");
}

TEST(Assign, SubstringFormUsesOneBasedInclusivePositions) {
    std::string dest = "0123456789";
    io::assign_substring(dest.data(), 3, 7, "abcdefgh", 2, 4);
    EXPECT_EQ(dest, "01bcd  789");

    // An empty source range blanks the destination range.
    io::assign_substring(dest.data(), 1, 2, "abcdefgh", 5, 4);
    EXPECT_EQ(dest, "  bcd  789");
}

TEST(Assign, SourceOverlappingTheDestinationIsCopiedIntact) {
    std::string value = "abcdefgh";
    io::assign(value.data() + 2, 6, std::string_view(value.data(), 4));
    EXPECT_EQ(value, "ababcd  ");
}

TEST(Assign, NulIsCopiedAsAnOrdinaryCharacter) {
    std::string dest(5, '#');
    io::assign(dest.data(), 5, "a\0b"s);
    EXPECT_EQ(dest, "a\0b  "s);
}

TEST(Concatenate, CommandKeepsAllSeventyEightCharactersWithTrailingBlanks) {
    std::string arquivo = padded("raiz.bis.txt", 70);
    std::string comando(78, '#');
    io::concatenate(comando.data(), 78, {"notepad ", arquivo});
    EXPECT_EQ(comando, "notepad raiz.bis.txt" + std::string(58, ' '));
    EXPECT_EQ(comando.size(), 78u);
}

TEST(Concatenate, CutsAtTheDestinationAndDropsLaterPieces) {
    std::string dest(6, '#');
    io::concatenate(dest.data(), 6, {"abcd", "efgh", "ijkl"});
    EXPECT_EQ(dest, "abcdef");

    // A piece that exactly fills the space leaves no room for the next.
    io::concatenate(dest.data(), 6, {"abc", "def", "ghi"});
    EXPECT_EQ(dest, "abcdef");
}

TEST(Concatenate, PadsWithBlanksAndSkipsEmptyPieces) {
    std::string dest(10, '#');
    io::concatenate(dest.data(), 10, {"ab", "", "cd"});
    EXPECT_EQ(dest, "abcd      ");

    io::concatenate(dest.data(), 10, {});
    EXPECT_EQ(dest, std::string(10, ' '));
}

TEST(Concatenate, LeavesADestinationOfNegativeLengthAlone) {
    std::string dest = "keep";
    io::concatenate(dest.data(), -1, {"xyz"});
    EXPECT_EQ(dest, "keep");
}

TEST(Concatenate, DestinationMayBeOneOfThePieces) {
    std::string value = padded("name", 12);
    io::concatenate(value.data(), 12, {">", std::string_view(value.data(), 4), "<", std::string_view(value.data(), 4)});
    EXPECT_EQ(value, ">name<name  ");

    // The piece is the destination's tail, moved to the front.
    std::string tail = "abcdefgh";
    io::concatenate(tail.data(), 8, {std::string_view(tail.data() + 4, 4), std::string_view(tail.data(), 4)});
    EXPECT_EQ(tail, "efghabcd");
}

TEST(Concatenate, LongDestinationsAreBuiltCorrectly) {
    std::string first(300, 'a');
    std::string second(300, 'b');
    std::string dest(500, '#');
    io::concatenate(dest.data(), 500, {first, second});
    EXPECT_EQ(dest, std::string(300, 'a') + std::string(200, 'b'));

    // A long destination that is also a piece.
    io::concatenate(dest.data(), 500, {"x", dest});
    EXPECT_EQ(dest, "x" + std::string(300, 'a') + std::string(199, 'b'));
}

TEST(LengthWithoutTrailingBlanks, CountsUpToTheLastNonBlank) {
    EXPECT_EQ(io::length_without_trailing_blanks("    ", 4), 0);
    EXPECT_EQ(io::length_without_trailing_blanks("", 0), 0);
    EXPECT_EQ(io::length_without_trailing_blanks("abc", -5), 0);
    EXPECT_EQ(io::length_without_trailing_blanks("a b  ", 5), 3);
    EXPECT_EQ(io::length_without_trailing_blanks("  a", 3), 3);
    EXPECT_EQ(io::length_without_trailing_blanks(std::string_view("a b c   ")), 5);
    EXPECT_EQ(io::length_without_trailing_blanks(std::string_view("      ")), 0);
}

TEST(LengthWithoutTrailingBlanks, OnlyTheByte0x20IsABlank) {
    EXPECT_EQ(io::length_without_trailing_blanks("ab\0  "s.data(), 5), 3);
    EXPECT_EQ(io::length_without_trailing_blanks(std::string(60, '\0').data(), 60), 60);
    EXPECT_EQ(io::length_without_trailing_blanks("a\t", 2), 2);
    EXPECT_EQ(io::length_without_trailing_blanks(std::string_view("x\0"s)), 2);
}

TEST(LeftAdjust, MovesLeadingBlanksToTheEndKeepingTheLength) {
    EXPECT_EQ(io::left_adjust("  ab c ", 7).view(), "ab c   ");
    EXPECT_EQ(io::left_adjust("abc", 3).view(), "abc");
    EXPECT_EQ(io::left_adjust("    ", 4).view(), "    ");
    EXPECT_EQ(io::left_adjust("", 0).view(), "");
    EXPECT_EQ(io::left_adjust("xyz", -2).view(), "");
}

TEST(LeftAdjust, NulAndOtherControlsAreNotBlanks) {
    EXPECT_EQ(io::left_adjust("\0 a"s.data(), 3).view(), "\0 a"s);
    EXPECT_EQ(io::left_adjust(" \0a"s.data(), 3).view(), "\0a "s);
    EXPECT_EQ(io::left_adjust("\tx", 2).view(), "\tx");
}

TEST(ReportName, SixtyNonBlankCharactersAndAnEightCharacterTagLeaveTwoBlanks) {
    std::string nome(60, 'n');
    std::string arquivo = build_report_name(nome, ".bis.txt");
    EXPECT_EQ(arquivo, std::string(60, 'n') + ".bis.txt  ");
}

TEST(ReportName, LeadingBlanksOfTheBaseNameAreRemovedInnerOnesStay) {
    EXPECT_EQ(build_report_name(padded("  raiz", 60), ".bis.txt"), padded("raiz.bis.txt", 70));
    EXPECT_EQ(build_report_name(padded(" my root", 60), ".fp.txt"), padded("my root.fp.txt", 70));
}

TEST(ReportName, BlankBaseNameGivesTheTagAlone) {
    EXPECT_EQ(build_report_name(std::string(60, ' '), ".sec.txt"), padded(".sec.txt", 70));
}

TEST(ReportName, UnsetBaseNameKeepsItsNulsBeforeTheTag) {
    std::string arquivo = build_report_name(std::string(60, '\0'), ".new.txt");
    EXPECT_EQ(arquivo, std::string(60, '\0') + ".new.txt  ");
}

}  // namespace
