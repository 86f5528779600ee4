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
// An F form longer than this keeps nothing of its text but its length: no
// field holds it.
constexpr int field_capacity = 1024;

// The text of one edit. A layout writes short runs as whole blocks, into
// the spare room after the capacity at worst.
struct FieldText {
    int length = 0;  // beyond the capacity for a text that is not held
    char text[blocks::with_spare_room(field_capacity)];
    std::string_view view() const { return {text, static_cast<std::size_t>(length <= field_capacity ? length : 0)}; }
};

// The text that stands for a non-finite value ("1#INF", "1#IND", "1#QNAN",
// "1#SNAN"); null for a finite value.
const char* nonfinite_text(double value);

// Iw.m: the minimum digit count m is `params.d`; the width is not used.
void edit_integer(std::int32_t value, const EditParams& params, FieldText& out);
void edit_real(double value, const EditParams& params, FieldText& out);

// The w columns (w = `params.w`) an I or a real edit descriptor writes for
// one value at the record's column: the edit, then the fitting (the text
// after blanks, or w asterisks when it is longer than w or not held).
// Every format-directed field is made by these.
class Record;
void put_integer_field(Record& record, std::int32_t value, const EditParams& params);
void put_real_field(Record& record, double value, const EditParams& params);

// The report's real form, 1P,Ew.d with two exponent digits and a short d
// (below 32), is the exponent layout with its scale factor and exponent
// digits known at compile time. A plan chooses it once for all its values:
// for the parameters `is_report_exponent` accepts, the second function
// writes what put_real_field writes.
bool is_report_exponent(const EditParams& params);
void put_report_field(Record& record, double value, const EditParams& params);

}  // namespace io
