#pragma once
// The decimal text of a double in scientific form, d.ddd...e±xx, correctly
// rounded (ties to even): by the C++ library, or by the C library where the
// C++ library has no floating-point conversion. Both are exact.
namespace io {

// Writes the text with `precision` digits after the point into
// [first, last), which must hold it, and returns its end.
char* scientific_text(char* first, char* last, double value, int precision);

}  // namespace io
