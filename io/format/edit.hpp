#pragma once
// Numeric field editing: one value and its edit parameters in, the
// characters of one field out.
#include <cstdint>
#include <string_view>

#include "io/format/blocks.hpp"
#include "io/format/decimal.hpp"

namespace io {

enum class RealForm {
    exponent,     // Ew.dEe under the scale factor k
    engineering,  // ENw.dEe: the exponent a multiple of 3 (k is not used)
    fixed,        // Fw.d (e and k are not used)
    list,         // the list-directed choice between a fixed and an exponent form (k is not used)
};

// The parameters of one edit, from the edit descriptor and the statement;
// the defaults are those of a descriptor that leaves them out.
struct EditParams {
    int w = 0;               // field width
    int d = 1;               // digits after the point; for an integer the minimum digit count m
    int e = 2;               // exponent digits
    int k = 0;               // scale factor
    bool sign_plus = false;  // '+' in front of non-negative values
    RealKind kind = RealKind::real8;
    RealForm form = RealForm::exponent;
};

// Field texts longer than this are cut; no format of the system comes near.
constexpr int field_capacity = 1024;
// Room after the capacity: a layout may write a short run as a whole block
// and keep only its first characters.
constexpr int field_slack = static_cast<int>(blocks::block_size);

struct FieldText {
    int length = 0;
    // The fixed form keeps nothing of a text longer than the capacity: the
    // text is then empty and the field all asterisks, however wide.
    bool too_wide = false;
    char text[field_capacity + field_slack];
    std::string_view view() const { return {text, static_cast<std::size_t>(length)}; }
};

// The text that stands for a non-finite value ("1#INF", "1#IND", "1#QNAN",
// "1#SNAN"); null for a finite value.
const char* nonfinite_text(double value);

// Iw.m: the minimum digit count m is `params.d`; the width is not used.
void edit_integer(std::int32_t value, const EditParams& params, FieldText& out);

void edit_real(double value, const EditParams& params, FieldText& out);

// A text fitted into w columns: `lead` copies of `lead_char`, then `body`.
// fit_field gives blanks and the text, or w asterisks in `body` when the
// text does not fit.
struct FittedField {
    int lead = 0;
    std::string_view body;
    char lead_char = ' ';
};
FittedField fit_field(const FieldText& text, int w);

// The w columns (w = `params.w`) an I or a real edit descriptor writes for
// one value: the edit, then the fitting; a fixed-form text too wide for any
// field gives w asterisks, however wide. Every format-directed field is
// made by these two.
FittedField edit_integer_field(std::int32_t value, const EditParams& params, FieldText& text);
FittedField edit_real_field(double value, const EditParams& params, FieldText& text);

// The report's real form, 1P,Ew.d with two exponent digits and a short d
// (below 32), is the exponent layout with its scale factor and exponent
// digits known at compile time. A plan chooses it once for all its values:
// for the parameters `is_report_exponent` accepts, the second function
// gives what edit_real_field gives.
bool is_report_exponent(const EditParams& params);
FittedField edit_report_exponent_field(double value, const EditParams& params, FieldText& text);

}  // namespace io
