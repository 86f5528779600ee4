#include "subrotinas/equacoes.hpp"

#include "runtime/fpenv.hpp"

// One operation per statement, in the order written: the last bits of the
// results, and the digits of the reports, depend on it.

namespace subrotinas {

namespace {
constexpr double k = 0.146843;
constexpr double one = 1.0;
constexpr double A = 667.38;
constexpr double B = 40.0;
constexpr double two = 2.0;
}  // namespace

rt::real f(const rt::real& x) {
    rt::real t = x * k;
    t = -t;
    const rt::real e = rt::rt_exp(t);
    rt::real u = one - e;
    u = u * A;
    u = u / x;
    return u - B;
}

rt::real g(const rt::real& x) {
    rt::real t = x * k;
    t = -t;
    const rt::real e = rt::rt_exp(t);
    rt::real u = one - e;
    u = u * A;
    return u / B;
}

rt::real df(const rt::real& x) {
    rt::real t = x * k;
    t = -t;
    const rt::real e = rt::rt_exp(t);
    rt::real u = one - e;
    u = u * A;
    const rt::real s = rt::rt_pow(x, rt::real(two));
    rt::real v = u / s;
    v = -v;
    rt::real t2 = x * k;
    t2 = -t2;
    const rt::real e2 = rt::rt_exp(t2);
    rt::real w = e2 * k;
    w = w * A;
    w = w / x;
    return v + w;
}

}  // namespace subrotinas
