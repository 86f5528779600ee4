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

double f(const double& x) {
    double t = x * k;
    t = -t;
    const double e = rt::rt_exp(t);
    double u = one - e;
    u = u * A;
    u = u / x;
    return u - B;
}

double g(const double& x) {
    double t = x * k;
    t = -t;
    const double e = rt::rt_exp(t);
    double u = one - e;
    u = u * A;
    return u / B;
}

double df(const double& x) {
    double t = x * k;
    t = -t;
    const double e = rt::rt_exp(t);
    double u = one - e;
    u = u * A;
    const double s = rt::rt_pow(x, two);
    double v = u / s;
    v = -v;
    double t2 = x * k;
    t2 = -t2;
    const double e2 = rt::rt_exp(t2);
    double w = e2 * k;
    w = w * A;
    w = w / x;
    return v + w;
}

}  // namespace subrotinas
