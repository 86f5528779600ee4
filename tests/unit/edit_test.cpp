#include "io/format/edit.hpp"
#include "io/format/record.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

using io::RealForm;
using io::RealKind;

// The w columns of a field, as the record writer places them.
std::string real_field(double value, const io::EditParams& params) {
    io::Record record;
    io::put_real_field(record, value, params);
    return std::string(record.text());
}

// Iw.m
std::string field_i(std::int32_t value, int w, int m = 1, bool sign_plus = false) {
    io::Record record;
    io::put_integer_field(record, value, {.w = w, .d = m, .sign_plus = sign_plus});
    return std::string(record.text());
}

// kP,Ew.dEe
std::string field_e(double value, int w, int d, int k, int e = 2, bool sign_plus = false,
                    RealKind kind = RealKind::real8) {
    return real_field(value, {.w = w, .d = d, .e = e, .k = k, .sign_plus = sign_plus, .kind = kind});
}

std::string report_field(double value) { return field_e(value, 25, 15, 1); }

// Fw.d
std::string field_f(double value, int w, int d, bool sign_plus = false) {
    return real_field(value, {.w = w, .d = d, .sign_plus = sign_plus, .form = RealForm::fixed});
}

// The unpadded list-directed text of an 8-byte real, and the same in its
// 24 columns.
std::string list_text8(double value) {
    io::FieldText text;
    io::edit_real(value, {.w = 24, .d = 15, .e = 3, .form = RealForm::list}, text);
    return std::string(text.view());
}
std::string list_field8(double value) { return real_field(value, {.w = 24, .d = 15, .e = 3, .form = RealForm::list}); }
std::string list_text4(double value) {
    io::FieldText text;
    io::edit_real(value, {.w = 15, .d = 6, .e = 2, .kind = RealKind::real4, .form = RealForm::list}, text);
    return std::string(text.view());
}

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }


double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

TEST(IntegerEditing, I5Fields) {
    EXPECT_EQ(field_i(1, 5), "    1");
    EXPECT_EQ(field_i(-42, 5), "  -42");
    EXPECT_EQ(field_i(12345, 5), "12345");
    EXPECT_EQ(field_i(123456, 5), "*****");
    EXPECT_EQ(field_i(-10000, 5), "*****");
    EXPECT_EQ(field_i(-9999, 5), "-9999");
    EXPECT_EQ(field_i(0, 5), "    0");
}

TEST(IntegerEditing, ZeroWithNoMinimumDigitsIsAllBlanks) {
    EXPECT_EQ(field_i(0, 4, 0), "    ");
    EXPECT_EQ(field_i(0, 4, 0, true), "    ");
    io::FieldText text;
    io::edit_integer(0, {.d = 0, .sign_plus = true}, text);
    EXPECT_EQ(text.length, 0);
    EXPECT_EQ(field_i(7, 4, 0), "   7");
}

TEST(IntegerEditing, MinimumDigitsAndSigns) {
    EXPECT_EQ(field_i(7, 6, 3), "   007");
    EXPECT_EQ(field_i(-7, 6, 3), "  -007");
    EXPECT_EQ(field_i(1234, 6, 3), "  1234");
    EXPECT_EQ(field_i(0, 6, 3), "   000");
    EXPECT_EQ(field_i(7, 5, 1, true), "   +7");
    EXPECT_EQ(field_i(0, 5, 1, true), "   +0");
    EXPECT_EQ(field_i(7, 5, 0, true), "   +7");
    EXPECT_EQ(field_i(-7, 5, 1, true), "   -7");
    EXPECT_EQ(field_i(42, 5, 3, true), " +042");
}

TEST(IntegerEditing, ExtremeValuesInFull) {
    io::FieldText text;
    io::edit_integer(std::numeric_limits<std::int32_t>::min(), {.d = 1}, text);
    EXPECT_EQ(text.view(), "-2147483648");
    io::edit_integer(std::numeric_limits<std::int32_t>::max(), {.d = 1, .sign_plus = true}, text);
    EXPECT_EQ(text.view(), "+2147483647");
    EXPECT_EQ(field_i(std::numeric_limits<std::int32_t>::min(), 10), "**********");
}

TEST(ReportField, ExamplesOfTheReportLayout) {
    EXPECT_EQ(report_field(14.78), blanks(4) + "1.478000000000000E+01");
    EXPECT_EQ(report_field(0.5), blanks(4) + "5.000000000000000E-01");
    EXPECT_EQ(report_field(-3.25E-7), blanks(3) + "-3.250000000000000E-07");
    EXPECT_EQ(report_field(1.0E-100), blanks(4) + "1.000000000000000-100");
    EXPECT_EQ(report_field(1.0E+300), blanks(4) + "1.000000000000000+300");
    EXPECT_EQ(report_field(0.0), blanks(4) + "0.000000000000000E+00");
    EXPECT_EQ(report_field(-0.0), blanks(4) + "0.000000000000000E+00");
    EXPECT_EQ(report_field(2.0 / 3.0), blanks(4) + "6.666666666666666E-01");
    EXPECT_EQ(report_field(-1.0 / 3.0), blanks(3) + "-3.333333333333333E-01");
    EXPECT_EQ(report_field(9.9999999999999999), blanks(4) + "1.000000000000000E+01");
    EXPECT_EQ(report_field(1.0), blanks(4) + "1.000000000000000E+00");
    EXPECT_EQ(report_field(-123456789.0), blanks(3) + "-1.234567890000000E+08");
}

TEST(ReportField, ExtremeMagnitudes) {
    EXPECT_EQ(report_field(std::numeric_limits<double>::max()), blanks(4) + "1.797693134862316+308");
    EXPECT_EQ(report_field(-std::numeric_limits<double>::max()), blanks(3) + "-1.797693134862316+308");
    EXPECT_EQ(report_field(std::numeric_limits<double>::denorm_min()), blanks(4) + "4.940656458412465-324");
    EXPECT_EQ(report_field(std::numeric_limits<double>::min()), blanks(4) + "2.225073858507201-308");
    EXPECT_EQ(report_field(1.0E-99), blanks(4) + "1.000000000000000E-99");
    EXPECT_EQ(report_field(9.0E+99), blanks(4) + "9.000000000000000E+99");
}

// The second rounding works on the 17-digit string, so a value below a
// 16-digit midpoint can still round up.
TEST(ReportField, RoundsTheSeventeenDigitStringNotTheValue) {
    // exact 9.900370915320932496...: 17 digits ...9325, then up at 16.
    EXPECT_EQ(report_field(9.900370915320932), blanks(4) + "9.900370915320933E+00");
    // exact 9.99999999999999954748...E-8: 17 digits all nines but the last '5'.
    EXPECT_EQ(report_field(1.0E-7), blanks(4) + "1.000000000000000E-07");
    EXPECT_EQ(report_field(1.0E-16), blanks(4) + "1.000000000000000E-16");
    EXPECT_EQ(report_field(1.0E+24), blanks(4) + "1.000000000000000E+24");
    EXPECT_EQ(report_field(1.0E-299), blanks(4) + "1.000000000000000-299");
    // exact 0.1000000000000000055511...: 17 digits ...0001, then down.
    EXPECT_EQ(report_field(0.1), blanks(4) + "1.000000000000000E-01");
}

TEST(ReportField, SignPlus) {
    EXPECT_EQ(field_e(14.78, 25, 15, 1, 2, true), blanks(3) + "+1.478000000000000E+01");
    EXPECT_EQ(field_e(0.0, 25, 15, 1, 2, true), blanks(3) + "+0.000000000000000E+00");
    EXPECT_EQ(field_e(-0.0, 25, 15, 1, 2, true), blanks(3) + "+0.000000000000000E+00");
    EXPECT_EQ(field_e(-2.0, 25, 15, 1, 2, true), blanks(3) + "-2.000000000000000E+00");
}

TEST(ReportField, NarrowestWidths) {
    EXPECT_EQ(field_e(14.78, 20, 15, 1), std::string(20, '*'));
    EXPECT_EQ(field_e(0.0, 20, 15, 1), std::string(20, '*'));
    EXPECT_EQ(field_e(14.78, 21, 15, 1), "1.478000000000000E+01");
    EXPECT_EQ(field_e(-14.78, 21, 15, 1), std::string(21, '*'));
    EXPECT_EQ(field_e(-14.78, 22, 15, 1), "-1.478000000000000E+01");
    EXPECT_EQ(field_e(1.0E-100, 21, 15, 1), "1.000000000000000-100");
}

TEST(ScaleFactor, ZeroGivesNoDigitBeforeThePoint) {
    EXPECT_EQ(field_e(1.0, 12, 5, 0), "  .10000E+01");
    EXPECT_EQ(field_e(-1.0, 12, 5, 0), " -.10000E+01");
    EXPECT_EQ(field_e(0.0, 12, 5, 0), "  .00000E+00");
    EXPECT_EQ(field_e(123.456, 12, 5, 0), "  .12346E+03");
    EXPECT_EQ(field_e(0.99999951, 12, 5, 0), "  .10000E+01");
    EXPECT_EQ(field_e(1.0E+100, 12, 4, 0), "   .1000+101");
}

TEST(ScaleFactor, NegativeGivesLeadingZerosAfterThePoint) {
    EXPECT_EQ(field_e(123.456, 12, 5, -2), "  .00123E+05");
    EXPECT_EQ(field_e(123.456, 12, 5, -4), "  .00001E+07");
    EXPECT_EQ(field_e(987.0, 12, 5, -4), "  .00001E+08");  // rounds up into a new digit
    EXPECT_EQ(field_e(-987.0, 12, 5, -1), " -.09870E+04");
    EXPECT_EQ(field_e(0.0, 12, 5, -2), "  .00000E+00");
    EXPECT_EQ(field_e(1.0, 30, 20, -19), "     .00000000000000000001E+20");
}

TEST(ScaleFactor, PositiveGivesDigitsBeforeThePoint) {
    EXPECT_EQ(field_e(123.456, 12, 5, 2), " 12.3456E+01");
    EXPECT_EQ(field_e(123.456, 12, 5, 3), " 123.456E+00");
    EXPECT_EQ(field_e(123.456, 12, 5, 6), " 123456.E-03");
    EXPECT_EQ(field_e(0.0, 12, 5, 2), " 00.0000E+00");
    EXPECT_EQ(field_e(-5.0, 8, 0, 1), " -5.E+00");
}

// Scale factors outside -d < k <= d+1 have no layout: asterisks.
TEST(ScaleFactor, OutsideTheUsableRangeGivesAsterisks) {
    EXPECT_EQ(field_e(123.456, 12, 5, 7), std::string(12, '*'));
    EXPECT_EQ(field_e(123.456, 12, 5, -5), std::string(12, '*'));
    EXPECT_EQ(field_e(123.456, 12, 5, -40), std::string(12, '*'));
    EXPECT_EQ(field_e(1.0, 10, 0, 0), std::string(10, '*'));
    EXPECT_EQ(field_e(0.0, 10, 0, 0), std::string(10, '*'));
    // Non-finite values keep their text whatever the scale factor.
    EXPECT_EQ(field_e(INFINITY, 8, 5, 9), "1#INF...");
}

TEST(ExponentDigits, ExplicitDigitCount) {
    EXPECT_EQ(field_e(1.5, 12, 4, 0, 3), "  .1500E+001");
    EXPECT_EQ(field_e(1.5, 10, 3, 0, 1), "   .150E+1");
    EXPECT_EQ(field_e(1.0E+8, 10, 3, 0, 1), "   .100E+9");
    EXPECT_EQ(field_e(1.0E+9, 10, 3, 0, 1), std::string(10, '*'));
    EXPECT_EQ(field_e(1.0E-10, 10, 3, 0, 1), "   .100E-9");
    EXPECT_EQ(field_e(1.0E-11, 10, 3, 0, 1), std::string(10, '*'));
    EXPECT_EQ(field_e(-2.5E-300, 12, 3, 1, 4), "-2.500E-0300");
    EXPECT_EQ(field_e(1.0E-5, 12, 3, 1, 2), "   1.000E-05");
    EXPECT_EQ(field_e(0.0, 12, 3, 1, 3), "  0.000E+000");
}

TEST(ExponentDigits, ThreeDigitsReplaceTheLetter) {
    EXPECT_EQ(field_e(1.0E+99, 11, 4, 0), "  .1000+100");
    EXPECT_EQ(field_e(5.0E-100, 11, 4, 1), " 5.0000-100");
    EXPECT_EQ(field_e(5.0E-99, 11, 4, 1), " 5.0000E-99");
}

TEST(NonFinite, TextsPaddedWithPoints) {
    EXPECT_EQ(report_field(INFINITY), "1#INF" + std::string(20, '.'));
    EXPECT_EQ(report_field(-INFINITY), "1#INF" + std::string(20, '.'));
    EXPECT_EQ(field_e(INFINITY, 25, 15, 1, 2, true), "1#INF" + std::string(20, '.'));

    volatile double zero = 0.0;
    const double invalid = zero / zero;  // the processor's default NaN
    EXPECT_EQ(std::bit_cast<std::uint64_t>(invalid), 0xFFF8000000000000u);
    EXPECT_EQ(report_field(invalid), "1#IND" + std::string(20, '.'));
    volatile double minus_one = -1.0;
    EXPECT_EQ(report_field(std::sqrt(minus_one)), "1#IND" + std::string(20, '.'));

    EXPECT_EQ(report_field(std::numeric_limits<double>::quiet_NaN()), "1#QNAN" + std::string(19, '.'));
    EXPECT_EQ(report_field(from_bits(0xFFF8000000000001u)), "1#QNAN" + std::string(19, '.'));
    EXPECT_EQ(report_field(from_bits(0xFFFFFFFFFFFFFFFFu)), "1#QNAN" + std::string(19, '.'));
    EXPECT_EQ(report_field(from_bits(0x7FF0000000000001u)), "1#SNAN" + std::string(19, '.'));
    EXPECT_EQ(report_field(from_bits(0xFFF4000000000000u)), "1#SNAN" + std::string(19, '.'));
    EXPECT_EQ(report_field(from_bits(0xFFF7FFFFFFFFFFFFu)), "1#SNAN" + std::string(19, '.'));
}

TEST(NonFinite, CutToNarrowFields) {
    EXPECT_EQ(field_e(INFINITY, 5, 1, 0), "1#INF");
    EXPECT_EQ(field_e(INFINITY, 3, 1, 0), "1#I");
    EXPECT_EQ(field_e(std::numeric_limits<double>::quiet_NaN(), 6, 1, 0), "1#QNAN");
    EXPECT_EQ(field_e(std::numeric_limits<double>::quiet_NaN(), 4, 1, 0), "1#QN");
    EXPECT_EQ(field_e(INFINITY, 0, 1, 0), "");
}

TEST(ListForm, ExamplesOfListOutput) {
    EXPECT_EQ(list_field8(14.78), blanks(6) + "14.780000000000000");
    EXPECT_EQ(list_field8(0.5), blanks(2) + "5.000000000000000E-001");
    EXPECT_EQ(list_text8(-14.78), "-14.780000000000000");
    EXPECT_EQ(list_text8(0.0), "0.000000000000000E+000");
    EXPECT_EQ(list_text8(-0.0), "0.000000000000000E+000");
    EXPECT_EQ(list_text8(1.0), "1.000000000000000");
    EXPECT_EQ(list_text8(2.0 / 3.0), "6.666666666666666E-001");
    EXPECT_EQ(list_text8(1.0E-100), "1.000000000000000E-100");
}

TEST(ListForm, FixedFormBoundaries) {
    EXPECT_EQ(list_text8(1234567.5), "1234567.500000000000000");
    EXPECT_EQ(list_text8(12345678.0), "1.234567800000000E+007");
    EXPECT_EQ(list_text8(9999999.999999998), "9999999.999999998000000");
    EXPECT_EQ(list_text8(0.999), "9.990000000000000E-001");
    EXPECT_EQ(list_text8(-1.0E+300), "-1.000000000000000E+300");
}

TEST(ListForm, NonFiniteUsesTwoColumnsLess) {
    EXPECT_EQ(list_text8(INFINITY), "1#INF" + std::string(17, '.'));
    EXPECT_EQ(list_text8(-INFINITY), "1#INF" + std::string(17, '.'));
    EXPECT_EQ(list_field8(INFINITY), blanks(2) + "1#INF" + std::string(17, '.'));
    EXPECT_EQ(list_text4(INFINITY), "1#INF" + std::string(8, '.'));
}

TEST(ListForm, FourByteRealsShowSevenDigits) {
    EXPECT_EQ(list_text4(1.5f), "1.500000");
    EXPECT_EQ(list_text4(123456.789f), "123456.800000");
    EXPECT_EQ(list_text4(0.1f), "1.000000E-01");
    EXPECT_EQ(list_text4(1.0e10f), "1.000000E+10");
    // A carry into a new leading digit adds a digit before the point.
    EXPECT_EQ(list_text4(9.9999999), "10.000000");
}

TEST(RealKinds, FourByteCapWritesZerosBeyondSevenDigits) {
    EXPECT_EQ(field_e(1.0f / 3.0f, 20, 10, 1, 2, false, RealKind::real4), blanks(4) + "3.3333330000E-01");
    EXPECT_EQ(field_e(0.1f, 15, 6, 1, 2, false, RealKind::real4), blanks(3) + "1.000000E-01");
    EXPECT_EQ(field_e(0.1, 30, 20, 1, 2, false, RealKind::real8), blanks(4) + "1.00000000000000000000E-01");
    EXPECT_EQ(field_e(1.0 / 3.0, 30, 20, 1, 2, false, RealKind::real8), blanks(4) + "3.33333333333333300000E-01");
}

// The rounding at the d-th digit after the point may leave one digit more
// before the point, a first digit right after it, or nothing at all.
TEST(FixedForm, RoundingAtTheLastDigitShown) {
    EXPECT_EQ(field_f(0.6, 5, 0), "   1.");
    EXPECT_EQ(field_f(0.4, 5, 0), "   0.");
    EXPECT_EQ(field_f(0.06, 5, 1), "  0.1");
    EXPECT_EQ(field_f(-0.06, 5, 1), " -0.1");
    EXPECT_EQ(field_f(-0.0004, 6, 2), "  0.00");
    EXPECT_EQ(field_f(-0.0004, 6, 2, true), " +0.00");
    EXPECT_EQ(field_f(0.00123, 8, 4), "  0.0012");
    EXPECT_EQ(field_f(-0.0, 5, 1), "  0.0");
    // Past 16 significant digits every position is '0'.
    EXPECT_EQ(field_f(1.0 / 3.0, 20, 18), "0.333333333333333300");
    EXPECT_EQ(field_f(123456789012345678.0, 21, 1), " 123456789012345700.0");
}

// A text longer than the field text keeps nothing but its length: the
// field is asterisks however wide it is.
TEST(FixedForm, TextsBeyondTheCapacityAreTooWide) {
    io::FieldText text;
    io::edit_real(1.5, {.w = 2000, .d = io::field_capacity - 2, .form = RealForm::fixed}, text);
    EXPECT_EQ(text.view(), "1.5" + std::string(io::field_capacity - 3, '0'));
    EXPECT_EQ(field_f(1.5, 2000, io::field_capacity - 2), blanks(976) + std::string(text.view()));
    io::edit_real(-1.5, {.w = 2000, .d = io::field_capacity - 2, .form = RealForm::fixed}, text);
    EXPECT_GT(text.length, io::field_capacity);
    EXPECT_EQ(text.view(), "");
    EXPECT_EQ(field_f(-1.5, 2000, io::field_capacity - 2), std::string(2000, '*'));
    // Non-finite values have their text, cut to the capacity.
    io::edit_real(INFINITY, {.w = 2000, .d = 1500, .form = RealForm::fixed}, text);
    EXPECT_EQ(text.length, io::field_capacity);
}

TEST(EngineeringForm, ExponentAMultipleOfThree) {
    const auto en = [](double value, int w, int d) {
        return real_field(value, {.w = w, .d = d, .form = RealForm::engineering});
    };
    EXPECT_EQ(en(1.0, 10, 2), "  1.00E+00");
    EXPECT_EQ(en(-0.012, 11, 2), " -12.00E-03");
    EXPECT_EQ(en(123456.0, 11, 2), " 123.46E+03");
    EXPECT_EQ(en(0.0, 10, 2), "  0.00E+00");
    EXPECT_EQ(en(1.0E-300, 9, 1), "  1.0-300");
}

TEST(Fitting, RightJustifiesOrFillsWithAsterisks) {
    EXPECT_EQ(field_i(-42, 6), "   -42");
    EXPECT_EQ(field_i(-42, 3), "-42");
    EXPECT_EQ(field_i(-42, 2), "**");
    EXPECT_EQ(field_i(0, 0, 0), "");
    EXPECT_EQ(field_i(7, -3), "");
    // A text longer than a block moves right as a whole.
    EXPECT_EQ(field_e(0.1, 50, 40, 1), blanks(4) + "1." + std::string(40, '0') + "E-01");
}

TEST(Fitting, WideAsteriskRuns) {
    io::FieldText text;
    io::edit_real(-1.0, {.w = 1024, .d = 1000, .e = 2, .k = 1}, text);
    EXPECT_EQ(text.length, 1007);
    EXPECT_EQ(field_e(-1.0, 1000, 1000, 1), std::string(1000, '*'));
}

// Widths and digit counts far beyond any format of the program are cut to
// the field capacity, never written past it.
TEST(Capacity, HugeParametersStayInsideTheText) {
    io::FieldText text;
    io::edit_real(1.5, {.w = 5000, .d = 4000, .e = 2, .k = 1}, text);
    EXPECT_EQ(text.length, io::field_capacity);
    EXPECT_EQ(text.view().substr(0, 20), "1.500000000000000000");

    io::edit_real(1.5, {.w = 2147483647, .d = 2147483647, .e = 2147483647, .k = 2147483647, .sign_plus = true}, text);
    EXPECT_EQ(text.length, io::field_capacity);
    io::edit_real(1.5, {.w = -2147483647 - 1, .d = -2147483647 - 1, .e = -2147483647 - 1, .k = -2147483647 - 1}, text);
    EXPECT_EQ(text.length, 0);
    io::edit_real(1.5, {.w = 2147483647, .d = 2147483647, .e = 3, .form = RealForm::list}, text);
    EXPECT_EQ(text.length, io::field_capacity);
    io::edit_real(INFINITY, {.w = -2147483647 - 1, .d = 1, .e = 2, .form = RealForm::list}, text);
    EXPECT_EQ(text.length, 0);
    io::edit_real(INFINITY, {.w = 5000, .d = 1, .e = 2}, text);
    EXPECT_EQ(text.length, io::field_capacity);
    EXPECT_EQ(text.view().substr(0, 7), "1#INF..");
    io::edit_integer(5, {.d = 3000, .sign_plus = true}, text);
    EXPECT_EQ(text.length, io::field_capacity);
    EXPECT_EQ(text.text[0], '+');
    // A scale factor that pushes the exponent to four digits.
    io::edit_real(1.0, {.w = 1500, .d = 1400, .e = 2, .k = -1300}, text);
    EXPECT_EQ(text.view(), std::string(io::field_capacity, '*'));
}

TEST(Capacity, ScaleFactorBeyondTheDigitBufferPadsWithZeros) {
    // k digits before the point reach far past the digits the conversion
    // holds; everything beyond them is '0'.
    io::FieldText text;
    io::edit_real(1.0, {.w = 300, .d = 200, .e = 2, .k = 100}, text);
    EXPECT_EQ(text.view(), "1" + std::string(99, '0') + "." + std::string(101, '0') + "E-99");
}

}  // namespace
