// The format-directed record writer against a real file unit: a statement
// is compiled, performed, the unit flushed, and the file's bytes compared.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "runtime/messages.hpp"
#include "io/format/format_compiler.hpp"
#include "io/format/format_writer.hpp"
#include "io/format/output_items.hpp"
#include "io/units/unit.hpp"
#include "io/units/record_output.hpp"
#include "support/file_unit.hpp"

namespace {

constexpr const char* crlf = "\r\n";

using test_files::FileUnit;

// One output statement: the format and the queued items.
class Statement {
public:
    explicit Statement(const std::string& format) : text_(format) {}

    Statement& integer(std::int32_t value) {
        items_.add_integer(value);
        return *this;
    }
    Statement& real(double value) {
        items_.add_real8(value);
        return *this;
    }
    Statement& character(const std::string& text) {
        items_.add_character(text);
        return *this;
    }
    Statement& non_advancing() {
        non_advancing_ = true;
        return *this;
    }

    // Compiles the format as the begin call does (length -1: up to the NUL)
    // and performs the statement; returns the message number it fails with.
    int perform(io::Unit& unit) {
        io::CompiledFormat format;
        io::compile_format(text_.c_str(), -1, format);
        io::FormatPlans plans;
        io::Record record;
        return io::write_formatted(unit, plans.plan_for(format, items_, non_advancing_), items_, record).message_number;
    }

private:
    std::string text_;
    io::QueuedItems items_;
    bool non_advancing_ = false;
};

std::string written(Statement statement) {
    FileUnit file;
    EXPECT_EQ(statement.perform(file.unit), 0);
    return file.contents();
}

// The message number the statement fails with, and what reached the file.
struct Failure {
    int message_number = 0;
    std::string file;
};
Failure failing(Statement statement) {
    FileUnit file;
    Failure result;
    result.message_number = statement.perform(file.unit);
    result.file = file.contents();
    return result;
}

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

// The report's formats, as the report layer passes them.
const std::string header_bisection =
    "('Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o',2/,'Intervalo\tinicial:',1/,"
    "'a = ',1P,E25.15,1/,'b = ',1P,E25.15,1/,'toler\xE2ncia admitida: ',1P,E25.15,1/,"
    "'n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:',I5)";
const std::string table_heading = "(2/,'Itera\xE7\xE3o',T12,'Solu\xE7\xE3o aproximada',T40,'Varia\xE7\xE3o')";
const std::string first_row = "(I5,1P,E25.15)";
const std::string table_row = "(I5,2(1P,E25.15))";
const std::string failure_trailer = "(2/,'O m\xE9todo falhou ap\xF3s ',I5,' itera\xE7\xF5" "es')";

TEST(FormatWriterReportFormats, TableHeading) {
    const std::string file = written(Statement(table_heading));
    const std::string heading = "Itera\xE7\xE3o" + blanks(3) + "Solu\xE7\xE3o aproximada" + blanks(10) + "Varia\xE7\xE3o";
    EXPECT_EQ(heading.size(), 47u);
    EXPECT_EQ(file, std::string(crlf) + crlf + heading + crlf);
}

TEST(FormatWriterReportFormats, FirstRow) {
    EXPECT_EQ(written(Statement(first_row).integer(1).real(14.78)),
              blanks(4) + "1" + blanks(4) + "1.478000000000000E+01" + crlf);
}

TEST(FormatWriterReportFormats, TableRowWithOneTwoAndThreeItems) {
    const std::string number = blanks(4) + "7";
    const std::string iterate = blanks(4) + "1.481250000000000E+01";
    const std::string change = blanks(4) + "6.250000000000000E-02";
    EXPECT_EQ(written(Statement(table_row).integer(7)), number + crlf);
    EXPECT_EQ(written(Statement(table_row).integer(7).real(14.8125)), number + iterate + crlf);
    EXPECT_EQ(written(Statement(table_row).integer(7).real(14.8125).real(0.0625)), number + iterate + change + crlf);
    EXPECT_EQ((number + iterate + change).size(), 55u);
}

TEST(FormatWriterReportFormats, FailureTrailer) {
    EXPECT_EQ(written(Statement(failure_trailer).integer(3)),
              std::string(crlf) + crlf + "O m\xE9todo falhou ap\xF3s " + blanks(4) + "3 itera\xE7\xF5" "es" + crlf);
}

TEST(FormatWriterReportFormats, BisectionHeaderGivesTheFirstSevenLines) {
    const std::string file = written(Statement(header_bisection).real(12).real(16).real(0.1).integer(10));
    const std::string expected = std::string("Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o") + crlf +
                                 crlf +
                                 "Intervalo\tinicial:" + crlf +
                                 "a = " + blanks(4) + "1.200000000000000E+01" + crlf +
                                 "b = " + blanks(4) + "1.600000000000000E+01" + crlf +
                                 "toler\xE2ncia admitida: " + blanks(4) + "1.000000000000000E-01" + crlf +
                                 "n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:" + blanks(3) + "10" + crlf;
    EXPECT_EQ(file, expected);
}

TEST(FormatWriterReportFormats, WorkedBisectionReport) {
    // Header, heading and six rows written one statement after another on
    // one unit: the sixteen lines of the bisection example.
    FileUnit file;
    Statement(header_bisection).real(12).real(16).real(0.1).integer(10).perform(file.unit);
    Statement(table_heading).perform(file.unit);
    Statement(table_row).integer(1).real(14).perform(file.unit);
    const double rows[][2] = {{15, 1}, {14.5, 0.5}, {14.75, 0.25}, {14.875, 0.125}, {14.8125, 0.0625}};
    for (int i = 0; i < 5; ++i) Statement(table_row).integer(i + 2).real(rows[i][0]).real(rows[i][1]).perform(file.unit);

    const std::string lines[] = {
        "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o",
        "",
        "Intervalo\tinicial:",
        "a = " + blanks(4) + "1.200000000000000E+01",
        "b = " + blanks(4) + "1.600000000000000E+01",
        "toler\xE2ncia admitida: " + blanks(4) + "1.000000000000000E-01",
        "n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:" + blanks(3) + "10",
        "",
        "",
        "Itera\xE7\xE3o" + blanks(3) + "Solu\xE7\xE3o aproximada" + blanks(10) + "Varia\xE7\xE3o",
        blanks(4) + "1" + blanks(4) + "1.400000000000000E+01",
        blanks(4) + "2" + blanks(4) + "1.500000000000000E+01" + blanks(4) + "1.000000000000000E+00",
        blanks(4) + "3" + blanks(4) + "1.450000000000000E+01" + blanks(4) + "5.000000000000000E-01",
        blanks(4) + "4" + blanks(4) + "1.475000000000000E+01" + blanks(4) + "2.500000000000000E-01",
        blanks(4) + "5" + blanks(4) + "1.487500000000000E+01" + blanks(4) + "1.250000000000000E-01",
        blanks(4) + "6" + blanks(4) + "1.481250000000000E+01" + blanks(4) + "6.250000000000000E-02",
    };
    std::string expected;
    for (const std::string& line : lines) expected += line + crlf;
    EXPECT_EQ(file.contents(), expected);
}

TEST(FormatWriterReportFormats, TrailerRunningOnToANulCompilesAsTheCutText) {
    // The trailer text is followed by unrelated bytes up to a NUL; the
    // statement writes exactly what the cut text writes.
    const std::string run_on = failure_trailer + "ABC'((,,\x01 I9";
    EXPECT_EQ(written(Statement(run_on).integer(3)), written(Statement(failure_trailer).integer(3)));
}

TEST(FormatWriterRecordEnds, SlashFirstWritesEmptyRecords) {
    EXPECT_EQ(written(Statement("(2/,'a')")), std::string(crlf) + crlf + "a" + crlf);
    EXPECT_EQ(written(Statement("('a',2/,'b')")), std::string("a") + crlf + crlf + "b" + crlf);
    EXPECT_EQ(written(Statement("('a',/,'b')")), std::string("a") + crlf + "b" + crlf);
    EXPECT_EQ(written(Statement("()")), crlf);
}

TEST(FormatWriterRecordEnds, TextBeforeTheFormatEndIsWrittenAfterTheLastItem) {
    EXPECT_EQ(written(Statement("(I3,' x',/)").integer(1)), std::string("  1 x") + crlf + crlf);
}

TEST(FormatWriterRecordEnds, EndWalkStopsAtTheNextDataDescriptor) {
    EXPECT_EQ(written(Statement("(I3,'a',I3,'b')").integer(1)), std::string("  1a") + crlf);
    // A repeated descriptor with repetitions left stops the walk at once.
    EXPECT_EQ(written(Statement("(3I3,'x')").integer(1)), std::string("  1") + crlf);
    EXPECT_EQ(written(Statement("(3I3,'x')").integer(1).integer(2).integer(3)), std::string("  1  2  3x") + crlf);
}

TEST(FormatWriterRecordEnds, ColonStopsTheEndWalkOnly) {
    EXPECT_EQ(written(Statement("(I3,:,' next')").integer(1)), std::string("  1") + crlf);
    EXPECT_EQ(written(Statement("(I3,:,'x',I3)").integer(1).integer(2)), std::string("  1x  2") + crlf);
}

TEST(FormatWriterRecordEnds, DollarAndBackslashLeaveTheRecordOpen) {
    FileUnit file;
    Statement("('a',$)").perform(file.unit);
    Statement("('b',\\)").perform(file.unit);
    Statement("('c')").perform(file.unit);
    EXPECT_EQ(file.contents(), std::string("abc") + crlf);
    // A $ met while items remain has no effect.
    EXPECT_EQ(written(Statement("(I2,$,I2)").integer(1).integer(2)), std::string(" 1 2") + crlf);
}

TEST(FormatWriterRecordEnds, NonAdvancingLeavesTheRecordOpen) {
    FileUnit file;
    Statement("('a',I2)").integer(5).non_advancing().perform(file.unit);
    Statement("('b')").perform(file.unit);
    EXPECT_EQ(file.contents(), std::string("a 5b") + crlf);
}

TEST(FormatWriterRecordEnds, RecordWrittenFlagIsSetAtTheRecordEnd) {
    FileUnit file;
    Statement("('a',$)").perform(file.unit);
    EXPECT_FALSE(file.unit.record_written);
    Statement("('b')").perform(file.unit);
    EXPECT_TRUE(file.unit.record_written);
}

TEST(FormatWriterRecordEnds, RecordsLongerThanTheUnitBuffer) {
    const std::string long_text(3000, 'q');
    FileUnit file;
    Statement("('" + long_text + "',I4)").integer(12).perform(file.unit);
    Statement("(I2)").integer(3).perform(file.unit);
    EXPECT_EQ(file.contents(), long_text + "  12" + crlf + " 3" + crlf);
}

TEST(FormatWriterReversion, MoreItemsThanDescriptorsStartsNewRecords) {
    const std::string record = blanks(4) + "1" + blanks(4) + "1.400000000000000E+01";
    const std::string second = blanks(4) + "2" + blanks(4) + "1.500000000000000E+01";
    EXPECT_EQ(written(Statement(first_row).integer(1).real(14).integer(2).real(15)),
              record + crlf + second + crlf);
}

TEST(FormatWriterReversion, ScaleFactorAndSignPlusAreKept) {
    // The reversion point is the group: 1P and SP before it stay in force.
    EXPECT_EQ(written(Statement("(SP,1P,E12.4,(E12.4))").real(1.25).real(2.5).real(5)),
              " +1.2500E+00 +2.5000E+00" + std::string(crlf) + " +5.0000E+00" + crlf);
    EXPECT_EQ(written(Statement("(SP,I3,(I3))").integer(1).integer(2).integer(3)),
              std::string(" +1 +2") + crlf + " +3" + crlf);
}

TEST(FormatWriterReversion, GroupAtTheReversionPointRestartsWithItsFullCount) {
    Statement statement("(I2,2(I3))");
    for (int i = 1; i <= 6; ++i) statement.integer(i);
    EXPECT_EQ(written(statement), std::string(" 1  2  3") + crlf + "  4  5" + crlf + "  6" + crlf);
}

TEST(FormatWriterReversion, NestedGroupCounts) {
    Statement statement("(2('<',2(I1),'>'))");
    for (int i = 1; i <= 4; ++i) statement.integer(i);
    EXPECT_EQ(written(statement), std::string("<12><34>") + crlf);
}

TEST(FormatWriterReversion, NoDataDescriptorAfterThePointFailsWithTheMismatchError) {
    // Distance 0: nothing after the reversion point.
    Failure f = failing(Statement("(I5,(SP))").integer(1).integer(2));
    EXPECT_EQ(f.message_number, rt::msg::integer_needs_i);
    EXPECT_EQ(f.file, blanks(4) + "1");
    f = failing(Statement("(E9.2,(SP))").real(1).real(2));
    EXPECT_EQ(f.message_number, rt::msg::real_needs_real_descriptor);
    // Text after the point, but no data descriptor: the item could never be
    // served, so it fails instead of writing records without end.
    f = failing(Statement("(I5,('abc'))").integer(1).integer(2));
    EXPECT_EQ(f.message_number, rt::msg::integer_needs_i);
    EXPECT_EQ(f.file, blanks(4) + "1abc");
}

TEST(FormatWriterPositioning, TabToTheCurrentColumnWritesNothing) {
    EXPECT_EQ(written(Statement("('abc',T4,'d')")), std::string("abcd") + crlf);
    EXPECT_EQ(written(Statement("('abc',3X,T4,'d')")), std::string("abcd") + crlf);
}

TEST(FormatWriterPositioning, TabBeyondTheEndPadsOnlyWhenACharacterFollows) {
    EXPECT_EQ(written(Statement("('abc',T6)")), std::string("abc") + crlf);
    EXPECT_EQ(written(Statement("('abc',T6,'d')")), std::string("abc  d") + crlf);
    EXPECT_EQ(written(Statement("('abc',T6,/,'d')")), std::string("abc") + crlf + "d" + crlf);
    EXPECT_EQ(written(Statement("('a',3X)")), std::string("a") + crlf);
    EXPECT_EQ(written(Statement("('a',3X,'b')")), std::string("a   b") + crlf);
    EXPECT_EQ(written(Statement("('a',TR2,'b')")), std::string("a  b") + crlf);
    EXPECT_EQ(written(Statement("('a',X,'b')")), std::string("a b") + crlf);
}

TEST(FormatWriterPositioning, TabBackOverwritesAndTheRecordKeepsItsExtent) {
    EXPECT_EQ(written(Statement("('abcdef',T2,'X')")), std::string("aXcdef") + crlf);
    EXPECT_EQ(written(Statement("('abcdef',T2,'X',/,'g')")), std::string("aXcdef") + crlf + "g" + crlf);
    EXPECT_EQ(written(Statement("('abc',TL2,'X')")), std::string("aXc") + crlf);
    EXPECT_EQ(written(Statement("('abc',TL9,'X')")), std::string("Xbc") + crlf);
    // A tab inside the written extent positions without writing, wherever
    // the current column is.
    EXPECT_EQ(written(Statement("('abcdef',TL4,T4,'X')")), std::string("abcXef") + crlf);
    // Blanks owed from the current column are written over what is there.
    EXPECT_EQ(written(Statement("('abcdef',T2,2X,'Z')")), std::string("a  Zef") + crlf);
    // TL counts from the position reached, blanks owed included.
    EXPECT_EQ(written(Statement("('abc',5X,TL2,'d')")), std::string("abc   d") + crlf);
    // The overwritten field may run beyond the old end.
    EXPECT_EQ(written(Statement("('abc',T2,'WXYZ')")), std::string("aWXYZ") + crlf);
    EXPECT_EQ(written(Statement("(I5,T1,I2)").integer(12345).integer(7)), std::string(" 7345") + crlf);
}

TEST(FormatWriterPositioning, TabBackInARecordLongerThanTheUnitBuffer) {
    const std::string file = written(Statement("('a',T3000,'b',T2,'c')"));
    EXPECT_EQ(file, "ac" + blanks(2997) + "b" + crlf);
}

TEST(FormatWriterPositioning, ColumnsRestartAtEachRecord) {
    EXPECT_EQ(written(Statement("('abc',/,T3,'x')")), std::string("abc") + crlf + "  x" + crlf);
}

TEST(FormatWriterText, DoubledDelimiters) {
    EXPECT_EQ(written(Statement("('it''s')")), std::string("it's") + crlf);
    EXPECT_EQ(written(Statement("(\"say \"\"hi\"\"\")")), std::string("say \"hi\"") + crlf);
    EXPECT_EQ(written(Statement("(3Ha'b,'!')")), std::string("a'b!") + crlf);
}

TEST(FormatWriterText, CharacterItemsWithA) {
    EXPECT_EQ(written(Statement("(A)").character("hello")), std::string("hello") + crlf);
    EXPECT_EQ(written(Statement("(A8)").character("hello")), std::string("   hello") + crlf);
    EXPECT_EQ(written(Statement("(A3)").character("hello")), std::string("hel") + crlf);
    EXPECT_EQ(written(Statement("(2A,'|')").character("ab").character("cd")), std::string("abcd|") + crlf);
    EXPECT_EQ(written(Statement("(A)").character("")), crlf);
}

TEST(FormatWriterNumbers, SignControlAndScaleFactor) {
    EXPECT_EQ(written(Statement("(SP,I3,SS,I3,SP,I3,S,I3)").integer(1).integer(2).integer(3).integer(4)),
              std::string(" +1  2 +3  4") + crlf);
    EXPECT_EQ(written(Statement("(BN,I3,BZ,I3)").integer(1).integer(2)), std::string("  1  2") + crlf);
    EXPECT_EQ(written(Statement("(E12.5)").real(1)), blanks(2) + ".10000E+01" + crlf);
    EXPECT_EQ(written(Statement("(1P,E25.15,0P,E12.5)").real(0.5).real(1)),
              blanks(4) + "5.000000000000000E-01" + blanks(2) + ".10000E+01" + crlf);
    EXPECT_EQ(written(Statement("(I5.3,I3.0)").integer(7).integer(0)), blanks(2) + "007" + blanks(3) + crlf);
    EXPECT_EQ(written(Statement("(I5)").integer(123456)), std::string("*****") + crlf);
}

TEST(FormatWriterNumbers, OtherRealDescriptors) {
    EXPECT_EQ(written(Statement("(1P,D25.15)").real(14.78)), blanks(4) + "1.478000000000000E+01" + crlf);
    EXPECT_EQ(written(Statement("(F8.3)").real(3.14159)), blanks(3) + "3.142" + crlf);
    EXPECT_EQ(written(Statement("(F6.2)").real(-12.345)), std::string("-12.35") + crlf);
    EXPECT_EQ(written(Statement("(F5.1)").real(0.25)), blanks(2) + "0.3" + crlf);
    EXPECT_EQ(written(Statement("(F2.1)").real(0.25)), std::string(".3") + crlf);
    EXPECT_EQ(written(Statement("(F6.2)").real(-0.004)), blanks(2) + "0.00" + crlf);
    EXPECT_EQ(written(Statement("(F4.1)").real(123.4)), std::string("****") + crlf);
    EXPECT_EQ(written(Statement("(F6.0)").real(99.5)), blanks(2) + "100." + crlf);
    EXPECT_EQ(written(Statement("(SP,F6.2)").real(1.5)), std::string(" +1.50") + crlf);
    EXPECT_EQ(written(Statement("(ES12.4)").real(1234.5)), blanks(2) + "1.2345E+03" + crlf);
    EXPECT_EQ(written(Statement("(EN12.3)").real(12345)), blanks(2) + "12.345E+03" + crlf);
    EXPECT_EQ(written(Statement("(EN12.3)").real(0.5)), blanks(1) + "500.000E-03" + crlf);
    EXPECT_EQ(written(Statement("(G25.15)").real(14.78)), blanks(7) + "14.780000000000000" + crlf);
}

// An F text longer than any field text gives w asterisks, however wide the
// field; a non-finite value keeps its text, cut to the field text.
TEST(FormatWriterNumbers, FixedTextBeyondAnyFieldText) {
    EXPECT_EQ(written(Statement("(F2000.1500)").real(1.5)), std::string(2000, '*') + crlf);
    EXPECT_EQ(written(Statement("(F2000.1500)").real(INFINITY)),
              blanks(976) + "1#INF" + std::string(1019, '.') + crlf);
}

TEST(FormatWriterErrors, ItemAndDescriptorMustMatch) {
    EXPECT_EQ(failing(Statement("(I5)").real(1)).message_number, rt::msg::real_needs_real_descriptor);
    EXPECT_EQ(failing(Statement("(E12.4)").integer(1)).message_number, rt::msg::integer_needs_i);
    EXPECT_EQ(failing(Statement("(I5)").character("x")).message_number, rt::msg::character_needs_a);
    EXPECT_EQ(failing(Statement("(A)").integer(1)).message_number, rt::msg::integer_needs_i);
    EXPECT_EQ(failing(Statement("(Z4)").integer(1)).message_number, rt::msg::integer_needs_i);
    EXPECT_EQ(failing(Statement("(L2)").real(1)).message_number, rt::msg::real_needs_real_descriptor);
    // The field before the mismatch stays in the record.
    EXPECT_EQ(failing(Statement("(I3,I3)").integer(1).real(2)).file, "  1");
}

TEST(FormatWriterErrors, FormatWithoutParenthesis) {
    Failure f = failing(Statement("I5").integer(1));
    EXPECT_EQ(f.message_number, rt::msg::format_not_parenthesised);
    EXPECT_EQ(f.file, "");
    EXPECT_EQ(failing(Statement("I5")).message_number, rt::msg::format_not_parenthesised);
}

TEST(FormatWriterErrors, SeventeenNestedGroupsFailWhenReachedAfterTheLiterals) {
    const std::string format = "('r1',/,'before'," + std::string(17, '(') + "'x'" + std::string(17, ')') + ")";
    Failure f = failing(Statement(format));
    EXPECT_EQ(f.message_number, rt::msg::format_too_deeply_nested);
    EXPECT_EQ(f.file, std::string("r1") + crlf + "before");
    // Sixteen are fine.
    const std::string sixteen = "('a'," + std::string(16, '(') + "'x'" + std::string(16, ')') + ")";
    EXPECT_EQ(written(Statement(sixteen)), std::string("ax") + crlf);
}

TEST(FormatWriterErrors, ErrorEntriesRaiseTheirNumbers) {
    Failure f = failing(Statement("('a',I)"));
    EXPECT_EQ(f.message_number, rt::msg::format_number_missing);
    EXPECT_EQ(f.file, "a");
    EXPECT_EQ(failing(Statement("(Z3.4)").integer(1)).message_number, rt::msg::format_digits_exceed_width);
    EXPECT_EQ(failing(Statement("(O3.4)").integer(1)).message_number, rt::msg::format_digits_exceed_width);
    EXPECT_EQ(failing(Statement("(I2,T0)").integer(1)).message_number, rt::msg::format_zero_position_or_bare_sign);
    EXPECT_EQ(failing(Statement("(I2,T0)").integer(1)).file, " 1");
    EXPECT_EQ(failing(Statement("('abc)")).message_number, rt::msg::format_text_not_closed);
}

TEST(FormatWriterErrors, StatementAfterAFailureContinuesTheOpenRecord) {
    FileUnit file;
    EXPECT_EQ(Statement("('a',I)").perform(file.unit), rt::msg::format_number_missing);
    Statement("('b')").perform(file.unit);
    EXPECT_EQ(file.contents(), std::string("ab") + crlf);
}

TEST(FormatWriterConnection, FirstWriteCutsAnExistingFile) {
    FileUnit file;
    ASSERT_TRUE(file.preload("an older and much longer content\r\n"));
    file.unit.positioned_for_writing = false;
    Statement("('new')").perform(file.unit);
    EXPECT_TRUE(file.unit.positioned_for_writing);
    EXPECT_EQ(file.contents(), std::string("new") + crlf);
}

TEST(FormatWriterConsole, RecordsGoOutAsConsoleRecords) {
    test_files::ScratchFile output;
    io::Unit console;
    console.connection.name = "CON";
    console.connection.kind = io::UnitKind::console;
    console.connection.out_handle = output.handle();
    console.buffer.bytes = std::make_unique<char[]>(io::console_buffer_size);
    console.buffer.size = io::console_buffer_size;
    console.settings.carriage_control = true;
    // The first character of each record is carriage control; the line end
    // of a record is written before the next one.
    Statement("(' one',/,' two')").perform(console);
    EXPECT_TRUE(console.record_written);
    EXPECT_EQ(test_files::read_file(output.path()), std::string("one") + crlf + "two");
}

}  // namespace
