#pragma once
// The application's reals, `rt::real`: a double whose every operation is a
// checked one. Where the processor itself traps an invalid operation, a
// division by zero and an overflow, the operations are the plain double
// operations and the code is the same as for doubles. Where it cannot, each
// operation judges its result as that processor would, and a result it would
// have trapped goes to the same trap handler at the same operation, so the
// program ends with the same report and the rows written before it.
//
// A real never becomes a double by itself, where the check would be lost
// without a word: its value is taken by name (`value()`, or an explicit
// conversion) where it leaves the arithmetic for a record or a report. The
// functions the program applies to reals take reals (`fabs` and the
// intrinsics below), so that code computing on the bare double does not
// compile, on any platform.
#include <cmath>
#include <concepts>
#include <type_traits>

#include "platform/fp.hpp"
#include "runtime/fpenv.hpp"

namespace rt {

// The trap code of a result that a trapping processor would not have
// delivered, 0 for one it would: a NaN from operands that are not NaNs is
// an invalid operation; an infinity from finite operands is a division by
// zero when it is a quotient by zero, else an overflow.
inline int trap_of_result(double a, double b, double result, bool quotient) {
    if (std::isnan(result)) return std::isnan(a) || std::isnan(b) ? 0 : plat::fp_trap_invalid;
    if (!std::isinf(result) || std::isinf(a) || std::isinf(b)) return 0;
    return quotient && b == 0.0 ? plat::fp_trap_divide_by_zero : plat::fp_trap_overflow;
}

// Comparisons are ordered: one with a NaN operand is an invalid operation.
inline int trap_of_comparison(double a, double b) { return std::isunordered(a, b) ? plat::fp_trap_invalid : 0; }

// Hands a trap code to the run-time's trap handler, which ends the program.
[[gnu::cold, gnu::noinline]] void deliver_checked_trap(int trap_code);

// The result of an operation, delivered as a trap when it is one.
inline double judged(double a, double b, double result, bool quotient) {
    if (!std::isfinite(result)) [[unlikely]] {
        if (const int trap = trap_of_result(a, b, result, quotient)) deliver_checked_trap(trap);
    }
    return result;
}

// The left operand, once the comparison is known to be ordered.
inline double ordered(double a, double b) {
    if (std::isunordered(a, b)) [[unlikely]] deliver_checked_trap(plat::fp_trap_invalid);
    return a;
}

// A real whose results are judged (`Judged`) or left to the processor's
// traps. The program's reals are `real`, the form of the platform;
// `CheckedReal`, the judged form, exists everywhere so that the judging is
// tested on every platform.
template <bool Judged>
class BasicReal {
public:
    BasicReal() = default;
    constexpr BasicReal(double value) : value_(value) {}
    constexpr explicit operator double() const { return value_; }

    constexpr double value() const { return value_; }
    // The double itself, for the statements that read a value into it.
    double& stored() { return value_; }

    // The result of a + b, a - b, a * b or a / b (`quotient`) computed in
    // double from the operands a and b.
    static BasicReal result(double a, double b, double result, bool quotient) {
        if constexpr (Judged) return BasicReal(judged(a, b, result, quotient));
        else return BasicReal(result);
    }
    // a, once a comparison of a with b may be made.
    static double compared(double a, double b) {
        if constexpr (Judged) return ordered(a, b);
        else return a;
    }

    friend constexpr BasicReal operator-(BasicReal x) { return BasicReal(-x.value_); }

private:
    double value_;
};

using real = BasicReal<!plat::fp_traps_delivered>;
using CheckedReal = BasicReal<true>;

template <class T>
inline constexpr bool is_real = false;
template <bool Judged>
inline constexpr bool is_real<BasicReal<Judged>> = true;

// An operation with a real on either side is the real's, whatever arithmetic
// type the other operand has; two reals must be of one form.
template <class A, class B>
concept RealOperands = (is_real<A> || std::is_arithmetic_v<A>) && (is_real<B> || std::is_arithmetic_v<B>) &&
                       (is_real<A> || is_real<B>) && (!(is_real<A> && is_real<B>) || std::same_as<A, B>);
template <class A, class B>
using RealOf = std::conditional_t<is_real<A>, A, B>;

template <class T>
constexpr double value_of(T x) {
    if constexpr (is_real<T>) return x.value();
    else return static_cast<double>(x);
}

template <class A, class B> requires RealOperands<A, B>
RealOf<A, B> operator+(A a, B b) {
    return RealOf<A, B>::result(value_of(a), value_of(b), value_of(a) + value_of(b), false);
}
template <class A, class B> requires RealOperands<A, B>
RealOf<A, B> operator-(A a, B b) {
    return RealOf<A, B>::result(value_of(a), value_of(b), value_of(a) - value_of(b), false);
}
template <class A, class B> requires RealOperands<A, B>
RealOf<A, B> operator*(A a, B b) {
    return RealOf<A, B>::result(value_of(a), value_of(b), value_of(a) * value_of(b), false);
}
template <class A, class B> requires RealOperands<A, B>
RealOf<A, B> operator/(A a, B b) {
    return RealOf<A, B>::result(value_of(a), value_of(b), value_of(a) / value_of(b), true);
}

template <class A, class B> requires RealOperands<A, B>
bool operator<(A a, B b) { return RealOf<A, B>::compared(value_of(a), value_of(b)) < value_of(b); }
template <class A, class B> requires RealOperands<A, B>
bool operator<=(A a, B b) { return RealOf<A, B>::compared(value_of(a), value_of(b)) <= value_of(b); }
template <class A, class B> requires RealOperands<A, B>
bool operator>(A a, B b) { return RealOf<A, B>::compared(value_of(a), value_of(b)) > value_of(b); }
template <class A, class B> requires RealOperands<A, B>
bool operator>=(A a, B b) { return RealOf<A, B>::compared(value_of(a), value_of(b)) >= value_of(b); }
template <class A, class B> requires RealOperands<A, B>
bool operator==(A a, B b) { return RealOf<A, B>::compared(value_of(a), value_of(b)) == value_of(b); }

// |x|: exact, and never a trap.
template <bool Judged>
BasicReal<Judged> fabs(BasicReal<Judged> x) { return BasicReal<Judged>(std::fabs(x.value())); }

// The intrinsics of fpenv.hpp on reals: each judges its own result.
template <bool Judged>
BasicReal<Judged> rt_exp(BasicReal<Judged> x) { return rt_exp(x.value()); }
template <bool Judged>
BasicReal<Judged> rt_pow(BasicReal<Judged> x, BasicReal<Judged> y) { return rt_pow(x.value(), y.value()); }
template <bool Judged>
BasicReal<Judged> rt_log(BasicReal<Judged> x) { return rt_log(x.value()); }
template <bool Judged>
BasicReal<Judged> rt_sqrt(BasicReal<Judged> x) { return rt_sqrt(x.value()); }
template <bool Judged>
BasicReal<Judged> rt_sin(BasicReal<Judged> x) { return rt_sin(x.value()); }
template <bool Judged>
BasicReal<Judged> rt_cos(BasicReal<Judged> x) { return rt_cos(x.value()); }
template <bool Judged>
BasicReal<Judged> rt_tan(BasicReal<Judged> x) { return rt_tan(x.value()); }
template <bool Judged>
BasicReal<Judged> rt_atan(BasicReal<Judged> x) { return rt_atan(x.value()); }

// The double that holds a real, for the statements that read one.
template <bool Judged>
double& stored_double(BasicReal<Judged>& x) { return x.stored(); }

}  // namespace rt
