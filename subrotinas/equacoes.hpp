#pragma once
// The equation f(x) = 667.38 * (1 - e^(-0.146843 x)) / x - 40, its
// fixed-point form and its derivative.

namespace subrotinas {

double f(const double& x);
double g(const double& x);
double df(const double& x);

}  // namespace subrotinas
