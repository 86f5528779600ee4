#pragma once
// The application's reals, `rt::real`. Where the processor itself traps an
// invalid operation, a division by zero and an overflow, a real is a plain
// double: the code is the same as without this type. Where it cannot, a
// real is a double whose every operation judges its result as that
// processor would, and a result it would have trapped goes to the same trap
// handler at the same operation, so the program ends with the same report
// and the rows written before it.
#include <cmath>
#include <concepts>
#include <type_traits>

#include "platform/fp.hpp"

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

class CheckedReal {
public:
    CheckedReal() = default;
    constexpr CheckedReal(double value) : value_(value) {}
    constexpr operator double() const { return value_; }

    // The double itself, for the statements that read a value into it.
    double& stored() { return value_; }

    friend CheckedReal operator-(CheckedReal x) { return -x.value_; }

private:
    double value_;
};

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

// An operation with a checked real on either side is checked, whatever
// arithmetic type the other operand has.
template <class T>
concept RealOperand = std::same_as<T, CheckedReal> || std::is_arithmetic_v<T>;
template <class A, class B>
concept CheckedOperands = RealOperand<A> && RealOperand<B> &&
                          (std::same_as<A, CheckedReal> || std::same_as<B, CheckedReal>);

template <class A, class B> requires CheckedOperands<A, B>
CheckedReal operator+(A a, B b) { return judged(a, b, double(a) + double(b), false); }
template <class A, class B> requires CheckedOperands<A, B>
CheckedReal operator-(A a, B b) { return judged(a, b, double(a) - double(b), false); }
template <class A, class B> requires CheckedOperands<A, B>
CheckedReal operator*(A a, B b) { return judged(a, b, double(a) * double(b), false); }
template <class A, class B> requires CheckedOperands<A, B>
CheckedReal operator/(A a, B b) { return judged(a, b, double(a) / double(b), true); }

template <class A, class B> requires CheckedOperands<A, B>
bool operator<(A a, B b) { return ordered(a, b) < double(b); }
template <class A, class B> requires CheckedOperands<A, B>
bool operator<=(A a, B b) { return ordered(a, b) <= double(b); }
template <class A, class B> requires CheckedOperands<A, B>
bool operator>(A a, B b) { return ordered(a, b) > double(b); }
template <class A, class B> requires CheckedOperands<A, B>
bool operator>=(A a, B b) { return ordered(a, b) >= double(b); }
template <class A, class B> requires CheckedOperands<A, B>
bool operator==(A a, B b) { return ordered(a, b) == double(b); }

using real = std::conditional_t<plat::fp_traps_delivered, double, CheckedReal>;

// The double that holds a real, for the statements that read one.
inline double& stored_double(double& x) { return x; }
inline double& stored_double(CheckedReal& x) { return x.stored(); }

}  // namespace rt
