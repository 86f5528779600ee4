#pragma once
// Fixed-point rendering for the F descriptor: d digits after the point,
// rounded the way the exponent form rounds (the 17-digit conversion, then
// half away from zero at the last digit shown), at most 16 significant
// digits and '0' beyond them.
#include "io/format/edit.hpp"

namespace io {

// Writes the unpadded text of Fw.d for a finite value into `out`: an optional
// sign, the integer digits ("0" when there are none, left out when the field
// is too narrow for it), the point and d digits. Returns false when the
// text would not fit in the field text's capacity.
bool render_fixed(const DecimalDigits& digits, int w, int d, bool sign_plus, FieldText& out);

}  // namespace io
