#pragma once
// Numeric field editing: one value and its edit parameters in, the
// characters of one field out.
#include <cstdint>
#include <string_view>

namespace io {

// The decimal conversion of an 8-byte real: up to 17 significant digits.
struct DecimalDigits {
    char sign = ' ';      // '-' or ' '; zero of either sign has ' '
    int count = 1;        // number of digits
    char digits[17] = {'0'};  // no leading zeros, trailing zeros removed
    int exponent = 0;     // value = 0.d1d2d3... x 10^exponent; zero has 0
    bool finite = true;
    const char* nonfinite_text = nullptr;  // "1#INF", "1#IND", "1#QNAN", "1#SNAN"
};

enum class RealKind { real4, real8 };
enum class RealForm { exponent, list };

// Field texts longer than this are cut; no format of the system comes near.
constexpr int field_capacity = 1024;

struct FieldText {
    int length = 0;
    char text[field_capacity];
    std::string_view view() const { return {text, static_cast<std::size_t>(length)}; }
};

DecimalDigits to_decimal_digits(double value);

void edit_integer(std::int32_t value, int m, bool sign_plus, FieldText& out);

void edit_real(double value, RealKind kind, int w, int d, int e, int k, bool sign_plus, RealForm form,
               FieldText& out);

// A text fitted into w columns: `leading_blanks` blanks, then `body` (the
// text, or w asterisks when it does not fit).
struct FittedField {
    int leading_blanks = 0;
    std::string_view body;
};
FittedField fit_field(const FieldText& text, int w);

}  // namespace io
