#include "runtime/real.hpp"

#include <cmath>
#include <type_traits>

#include "runtime/fpenv.hpp"

namespace rt {

void deliver_checked_trap(int trap_code) { floating_point_trap(trap_code); }

// What code cannot do with a real, on any platform: turn it into a double
// unawares, or hand it to a function of doubles. A double can do all of it.
template <class T>
concept TakenByFabs = requires(T x) { std::fabs(x); };
template <class T>
concept TakenByExp = requires(T x) { std::exp(x); };
template <class T>
concept TakenByIsnan = requires(T x) { std::isnan(x); };
template <class T>
constexpr bool keeps_its_check =
    !std::is_convertible_v<T, double> && !TakenByFabs<T> && !TakenByExp<T> && !TakenByIsnan<T>;
static_assert(keeps_its_check<real> && keeps_its_check<CheckedReal> && !keeps_its_check<double>);
static_assert(std::is_trivially_copyable_v<real> && sizeof(real) == sizeof(double));

}  // namespace rt
