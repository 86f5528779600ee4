#pragma once
// The equation f(x) = 667.38 * (1 - e^(-0.146843 x)) / x - 40, its
// fixed-point form and its derivative.
#include "runtime/real.hpp"

namespace subrotinas {

rt::real f(const rt::real& x);
rt::real g(const rt::real& x);
rt::real df(const rt::real& x);

}  // namespace subrotinas
