// The format compiler: entry layout, parameters, reversion distance and the
// error entries that end the list.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/messages.hpp"
#include "io/format/format_compiler.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes compiled(const std::string& text) {
    io::CompiledFormat out;
    io::compile_format(text.data(), static_cast<int>(text.size()), out);
    return out.bytes;
}

Bytes compiled_to_nul(const char* text) {
    io::CompiledFormat out;
    io::compile_format(text, -1, out);
    return out.bytes;
}

// The list that a compile error leaves: the entries before it, then the
// error entry with its 16-bit number.
Bytes with_error(Bytes before, int number) {
    before.push_back(31);
    before.push_back(static_cast<std::uint8_t>(number & 0xFF));
    before.push_back(static_cast<std::uint8_t>(number >> 8));
    return before;
}

int error_of(const Bytes& bytes) {
    if (bytes.size() < 3 || bytes[bytes.size() - 3] != 31) return 0;
    return bytes[bytes.size() - 2] | (bytes[bytes.size() - 1] << 8);
}

Bytes format_end(int distance) {
    return {30, static_cast<std::uint8_t>(distance & 0xFF), static_cast<std::uint8_t>(distance >> 8)};
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(FormatCompilerLayout, RowFormatEntries) {
    // I5: kind 8, one parameter; 1P: kind 3 with k in the repeat slot;
    // E25.15: kind 10, two parameters; the reversion point is the I5 at 0.
    EXPECT_EQ(compiled("(I5,1P,E25.15)"),
              concat({{0x48, 5}, {0x23, 1}, {0x8A, 25, 15}, format_end(7)}));
}

TEST(FormatCompilerLayout, GroupWithCountIsTheReversionPoint) {
    // 2( is kind 14 with its count; ) inside the group is kind 26; the
    // format end points back 8 bytes to the group start at offset 2.
    EXPECT_EQ(compiled("(I5,2(1P,E25.15))"),
              concat({{0x48, 5}, {0x2E, 2}, {0x23, 1}, {0x8A, 25, 15}, {0x1A}, format_end(8)}));
}

TEST(FormatCompilerLayout, LastOutermostGroupWinsAndInnerGroupsDoNot) {
    // Outermost groups at 0 and 4; the inner one at 5 does not move the
    // reversion point: end at 11, distance 7.
    EXPECT_EQ(compiled("((I2),(('a')))"),
              concat({{0x0E}, {0x48, 2}, {0x1A}, {0x0E}, {0x0E}, {0x22, 1, 'a'}, {0x1A}, {0x1A}, format_end(7)}));
}

TEST(FormatCompilerLayout, ParametersBeyond120UseTheLongForm) {
    EXPECT_EQ(compiled("(I120)"), concat({{0x48, 120}, format_end(2)}));
    EXPECT_EQ(compiled("(I121)"), concat({{0x48, 127, 121, 0, 0, 0}, format_end(6)}));
    EXPECT_EQ(compiled("(T70000)"), concat({{0x5B, 127, 0x70, 0x11, 0x01, 0x00}, Bytes{30, 0, 0}}));
    EXPECT_EQ(compiled("(-120P)"), concat({{0x23, 0x88}, format_end(2)}));
    EXPECT_EQ(compiled("(-121P)"), concat({{0x23, 127, 0x87, 0xFF, 0xFF, 0xFF}, format_end(6)}));
    EXPECT_EQ(compiled("(+3P)"), concat({{0x23, 3}, format_end(2)}));
    EXPECT_EQ(compiled("(2147483647X)"), concat({{0x5D, 127, 0xFF, 0xFF, 0xFF, 0x7F}, format_end(6)}));
}

TEST(FormatCompilerLayout, DescriptorKindsAndParameterCounts) {
    EXPECT_EQ(compiled("(A)")[0], 0x06);
    EXPECT_EQ(compiled("(3A10)"), concat({{0x66, 3, 10}, format_end(3)}));
    EXPECT_EQ(compiled("(L2)")[0], 0x47);
    EXPECT_EQ(compiled("(I5.3)"), concat({{0x88, 5, 3}, format_end(3)}));
    EXPECT_EQ(compiled("(D9.2)")[0], 0x89);
    EXPECT_EQ(compiled("(E12.4E3)"), concat({{0xCA, 12, 4, 3}, format_end(4)}));
    EXPECT_EQ(compiled("(F8.3)")[0], 0x8B);
    EXPECT_EQ(compiled("(G10.3E2)")[0], 0xCC);
    EXPECT_EQ(compiled("(Z4)")[0], 0x4D);
    // Prefixed forms carry their sub-kind right after the entry byte.
    EXPECT_EQ(compiled("(2EN12.3)"), concat({{0xAF, 1, 2, 12, 3}, format_end(5)}));
    EXPECT_EQ(compiled("(ES12.3)"), concat({{0x8F, 2, 12, 3}, format_end(4)}));
    EXPECT_EQ(compiled("(O6)"), concat({{0x4F, 3, 6}, format_end(3)}));
    EXPECT_EQ(compiled("(B8.8)"), concat({{0x8F, 4, 8, 8}, format_end(4)}));
    EXPECT_EQ(compiled("(Q)"), concat({{0x0F, 5}, format_end(2)}));
    // Control descriptors: 2/, :, SP, SS, S, BN, BZ, $, \, T, TL, TR, X.
    EXPECT_EQ(compiled("(2/,:,SP,SS,S,BN,BZ,$,\\,T3,TL2,TR4,X)"),
              concat({{0x32, 2}, {0x13}, {0x15}, {0x16}, {0x16}, {0x17}, {0x18}, {0x19}, {0x19}, {0x5B, 3},
                      {0x5C, 2}, {0x5D, 4}, {0x5D, 1}, format_end(18)}));
    EXPECT_EQ(compiled("(/)"), concat({{0x12}, format_end(1)}));
}

TEST(FormatCompilerText, QuotedTextHasItsLengthInTheRepeatSlot) {
    EXPECT_EQ(compiled("('ab''c')"), concat({{0x22, 4, 'a', 'b', '\'', 'c'}, format_end(6)}));
    EXPECT_EQ(compiled("(\"say \"\"hi\"\"\")"),
              concat({{0x22, 8, 's', 'a', 'y', ' ', '"', 'h', 'i', '"'}, format_end(10)}));
    // The other delimiter inside is an ordinary character.
    EXPECT_EQ(compiled("(\"it's\")"), concat({{0x22, 4, 'i', 't', '\'', 's'}, format_end(6)}));
    EXPECT_EQ(compiled("('')"), concat({{0x22, 0}, format_end(2)}));
}

TEST(FormatCompilerText, TabsBlanksAndHighBytesAreCopiedUnchanged) {
    const Bytes bytes = compiled("(' a\tb\xE7\xFF ')");
    EXPECT_EQ(bytes, concat({{0x22, 7, ' ', 'a', '\t', 'b', 0xE7, 0xFF, ' '}, format_end(9)}));
}

TEST(FormatCompilerText, LongTextLength) {
    const std::string text(300, 'x');
    const Bytes bytes = compiled("('" + text + "')");
    ASSERT_EQ(bytes.size(), 6u + 300u + 3u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), (Bytes{0x22, 127, 0x2C, 0x01, 0, 0}));
    EXPECT_EQ(bytes[6], 'x');
    EXPECT_EQ(bytes[305], 'x');
    EXPECT_EQ(Bytes(bytes.end() - 3, bytes.end()), format_end(306));
}

TEST(FormatCompilerText, HollerithCopiesTheNextCharacters) {
    EXPECT_EQ(compiled("(3H(a),I2)"), compiled("('(a)',I2)"));
    EXPECT_EQ(compiled("(4H'' b)"), concat({{0x22, 4, '\'', '\'', ' ', 'b'}, format_end(6)}));
    EXPECT_EQ(error_of(compiled("(5Habc)")), rt::msg::format_text_not_closed);
}

TEST(FormatCompilerSyntax, BlanksTabsAndCaseDoNotMatter) {
    const Bytes plain = compiled("(I5,2(1P,E25.15))");
    EXPECT_EQ(compiled(" ( i 5 ,\t2 ( 1 p , e 2\t5 . 1 5 ) ) "), plain);
    EXPECT_EQ(compiled("(I5,2(1PE25.15))"), plain);  // commas are optional
    // Blanks inside a number are skipped too: I5 2 is I52.
    EXPECT_EQ(compiled("(I5 2)"), compiled("(I52)"));
    EXPECT_EQ(compiled("(t l 3, s p, b z, e n 1 2 . 3)"), compiled("(TL3,SP,BZ,EN12.3)"));
}

TEST(FormatCompilerSyntax, CompilationStopsAtTheOutermostParenthesis) {
    const Bytes cut = compiled("(2/,'O m\xE9todo falhou ap\xF3s ',I5,' itera\xE7\xF5" "es')");
    // What follows the parenthesis, up to the NUL, is never looked at, even
    // when it is not a format at all.
    const char run_on[] = "(2/,'O m\xE9todo falhou ap\xF3s ',I5,' itera\xE7\xF5" "es')Stop - 'unclosed ((( ,,";
    EXPECT_EQ(compiled_to_nul(run_on), cut);
    EXPECT_EQ(compiled("(I5)))garbage"), compiled("(I5)"));
    EXPECT_EQ(error_of(cut), 0);
}

TEST(FormatCompilerSyntax, LengthLimitsTheText) {
    EXPECT_EQ(compiled(std::string("(I5)\0(I7)", 9)), compiled("(I5)"));
    io::CompiledFormat out;
    io::compile_format("(I5)(I7)", 4, out);
    EXPECT_EQ(out.bytes, compiled("(I5)"));
}

TEST(FormatCompilerSyntax, DigitsAfterTheSixteenthAreIgnored) {
    // Sixteen zeros and then a 5: the 5 is ignored and the width is 0.
    EXPECT_EQ(compiled("(I" + std::string(16, '0') + "5)"), concat({{0x48, 0}, format_end(2)}));
    EXPECT_EQ(compiled("(I" + std::string(14, '0') + "12)"), concat({{0x48, 12}, format_end(2)}));
}

TEST(FormatCompilerSyntax, ReversionDistanceIsZeroWhenNothingFollowsThatAdvances) {
    EXPECT_EQ(compiled("(SP,T5,:)"), concat({{0x15}, {0x5B, 5}, {0x13}, format_end(0)}));
    EXPECT_EQ(compiled("(I5,(SP,TL1))"), concat({{0x48, 5}, {0x0E}, {0x15}, {0x5C, 1}, {0x1A}, format_end(0)}));
    EXPECT_EQ(compiled("()"), format_end(0));
    // X, P, text, / and an inner group each make the point usable.
    EXPECT_EQ(compiled("(I5,(X))").end()[-2], 4);
    EXPECT_EQ(compiled("(I5,(1P))").end()[-2], 4);
    EXPECT_EQ(compiled("(I5,('a'))").end()[-2], 5);
    EXPECT_EQ(compiled("(I5,(/))").end()[-2], 3);
    EXPECT_EQ(compiled("(I5,(()))").end()[-2], 4);
}

TEST(FormatCompilerErrors, NotParenthesised) {
    EXPECT_EQ(compiled("I5"), with_error({}, rt::msg::format_not_parenthesised));
    EXPECT_EQ(compiled(""), with_error({}, rt::msg::format_not_parenthesised));
    EXPECT_EQ(compiled("  'a'"), with_error({}, rt::msg::format_not_parenthesised));
}

TEST(FormatCompilerErrors, EntriesBeforeTheFaultStay) {
    EXPECT_EQ(compiled("('a',I)"), with_error({0x22, 1, 'a'}, rt::msg::format_number_missing));
    EXPECT_EQ(compiled("(I2,K)"), with_error({0x48, 2}, rt::msg::format_misplaced));
}

TEST(FormatCompilerErrors, Commas) {
    EXPECT_EQ(compiled("(,I5)"), with_error({}, rt::msg::format_misplaced));
    EXPECT_EQ(compiled("(I5,,I5)"), with_error({0x48, 5}, rt::msg::format_misplaced));
    EXPECT_EQ(compiled("(I5,2(,I5))"), with_error({0x48, 5, 0x2E, 2}, rt::msg::format_misplaced));
    EXPECT_EQ(compiled("(I5,)"), concat({{0x48, 5}, format_end(2)}));
}

TEST(FormatCompilerErrors, EachErrorNumber) {
    struct Case {
        const char* text;
        int error;
    };
    const Case cases[] = {
        {"(I)", 980},      {"(E.5)", 980},    {"(E12.)", 980},   {"(E12.4E)", 980}, {"(T)", 980},
        {"(TL)", 980},     {"(-P)", 980},     {"(I5.)", 980},    {"(L)", 980},      {"(T0)", 982},
        {"(TL0)", 982},    {"(TR0)", 982},    {"(0X)", 982},     {"(-2X)", 982},    {"(+1I5)", 982},
        {"(2'a')", 983},   {"(3T5)", 983},    {"(2:)", 983},     {"(2SP)", 983},    {"(2BN)", 983},
        {"(2$)", 983},     {"(5)", 983},      {"(P)", 984},      {"(H)", 984},      {"(E12)", 987},
        {"(F8)", 987},     {"(D8)", 987},     {"(G8)", 987},     {"(ES9)", 987},    {"('abc)", 988},
        {"(\"a'')", 988},  {"(2Habc", 989},   {"(K)", 989},      {"(I5", 989},      {"(5,I2)", 989},
        {"(I3.4)", 990},   {"(O3.4)", 996},   {"(B3.4)", 997},   {"(Z3.4)", 998},   {"(I2147483648)", 991},
        {"(3000000000I2)", 991},
    };
    for (const Case& c : cases) EXPECT_EQ(error_of(compiled(c.text)), c.error) << c.text;
}

TEST(FormatCompilerErrors, NestingDepth) {
    const std::string sixteen = "(" + std::string(16, '(') + "'x'" + std::string(16, ')') + ")";
    EXPECT_EQ(error_of(compiled(sixteen)), 0);
    const std::string seventeen = "('a'," + std::string(17, '(') + "'x'" + std::string(17, ')') + ")";
    const Bytes bytes = compiled(seventeen);
    // 'a' and sixteen group starts, then the error.
    Bytes before = {0x22, 1, 'a'};
    before.insert(before.end(), 16, 0x0E);
    EXPECT_EQ(bytes, with_error(before, rt::msg::format_too_deeply_nested));
}

TEST(FormatCompilerErrors, ReversionDistanceTooLargeForSixteenBits) {
    const std::string text = "('" + std::string(70000, 'x') + "')";
    EXPECT_EQ(error_of(compiled(text)), rt::msg::format_number_too_large);
}

TEST(FormatCompiler, RecompilingReplacesTheOldList) {
    io::CompiledFormat out;
    io::compile_format("(I5,2(1P,E25.15))", -1, out);
    io::compile_format("(I3)", -1, out);
    EXPECT_EQ(out.bytes, compiled("(I3)"));
}

TEST(FormatCompiler, NullTextIsNotAFormat) {
    io::CompiledFormat out;
    io::compile_format(nullptr, -1, out);
    EXPECT_EQ(out.bytes, with_error({}, rt::msg::format_not_parenthesised));
}

}  // namespace
