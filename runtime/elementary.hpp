#pragma once
// The run-time's own natural logarithm, sine, cosine, tangent, arc tangent
// and power. They are written in plain double arithmetic, each operation
// rounded to double on its own, and integers: every platform gives the same
// bits for the same argument, which no platform's math library promises.
// The logarithm, sine, cosine and arc tangent are within one unit in the
// last place of the exact value, the tangent within two.
//
// Each takes any double and returns what IEEE arithmetic gives where the
// function is not defined: log(0) = -infinity, log(x < 0) = NaN, sin, cos
// and tan of an infinity are NaN, a NaN argument gives NaN. Judging those
// is the intrinsics' business (fpenv.hpp). The sine, cosine and tangent
// reduce their argument by pi/2 exactly, however large it is.
namespace rt::elementary {

double log(double x);
double sin(double x);
double cos(double x);
double tan(double x);
double atan(double x);

// x^y with the C library's results at zeros, infinities, NaNs and negative
// x; elsewhere from a logarithm and an exponential of about 100 bits, so
// rounded correctly but in rare cases (and a subnormal result perhaps
// twice). y = 2 is x x.
double pow(double x, double y);

}  // namespace rt::elementary
