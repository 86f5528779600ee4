#pragma once
// The floating-point environment of the run: invalid operations, divisions
// by zero and overflows are trapped and reported; the exponential, the real
// power and the functions of a typed equation are intrinsics with an error
// path of their own.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rt {

// Sets the arithmetic and the traps for the whole run; called once at
// start-up, before the main program.
void setup_floating_point();

// The exponential (the C library's) and the real power x ** y (the
// run-time's own, elementary.hpp: the same bits on every platform). An error
// of the result ends the program with a report naming the function, except
// underflow and partial loss of significance, which let the result stand.
double rt_exp(double x);
double rt_pow(double x, double y);

// The natural logarithm, square root, sine, cosine, tangent and arc tangent
// of a typed equation: the run-time's own (elementary.hpp; the square root
// is the processor's, correctly rounded everywhere), the same bits on every
// platform. An argument outside the function's domain ends the program
// with a report naming the function, as the exponential's overflow does:
// log at 0 (SING) and below 0 (DOMAIN), sqrt below 0 (DOMAIN), sin, cos and
// tan at an infinity (DOMAIN). The arc tangent is defined everywhere. A NaN
// argument gives NaN without a report, as for the exponential.
double rt_log(double x);
double rt_sqrt(double x);
double rt_sin(double x);
double rt_cos(double x);
double rt_tan(double x);
double rt_atan(double x);

// Intrinsic numbers held while an intrinsic runs.
inline constexpr std::int32_t intrinsic_exp = 34;
inline constexpr std::int32_t intrinsic_pow = 36;
inline constexpr std::int32_t intrinsic_sqrt = 37;
inline constexpr std::int32_t intrinsic_log = 38;
inline constexpr std::int32_t intrinsic_sin = 39;
inline constexpr std::int32_t intrinsic_cos = 40;
inline constexpr std::int32_t intrinsic_tan = 41;
inline constexpr std::int32_t intrinsic_atan = 42;

enum class MathError : std::int32_t {
    none = 0,
    domain = 1,
    sing = 2,
    overflow = 3,
    underflow = 4,
    tloss = 5,
    ploss = 6,
};

// What an intrinsic hands to the math-error hook.
struct MathErrorRecord {
    MathError type;
    std::string_view name;  // the function's name: "exp", "pow", "log", "sqrt", "sin"...
    double arg1;
    double arg2;
    double result;          // the library's result
};

// The error of a library result, judged from the arguments and the result.
MathError classify_exp(double x, double result);
MathError classify_pow(double x, double y, double result);
MathError classify_log(double x);
MathError classify_sqrt(double x);
MathError classify_periodic(double x);  // sin, cos, tan

// Returns true when the error is accepted (the library's result stands);
// otherwise reports it and ends the program.
bool math_error_hook(const MathErrorRecord& record);

// The trap handler: returns (so that the operation resumes) only while an
// intrinsic runs; otherwise reports the trap and ends the program. Safe in a
// signal handler.
void floating_point_trap(int trap_code);

// A report message, built without allocation.
struct ErrorMessage {
    char text[64];
    std::size_t length = 0;
    std::string_view view() const { return {text, length}; }
};

// "floating-point error: " and the trap code's word.
ErrorMessage trap_message(int trap_code);
// The display name, ": ", the type's word and " error".
ErrorMessage math_error_message(std::string_view display_name, MathError type);
// The report number of a trap code (129 and up) or a math error type (1-6);
// 0 for a code without one.
int error_report_number(int code);

// The run-time's floating-point state.
struct FpState {
    volatile std::int32_t intrinsic = 0;     // 34 or 36 while an intrinsic runs
    volatile std::int32_t error_code = 0;    // math error type or trap code
    char display_name[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};  // the function a math error names
    bool division_sound = true;              // outcome of the divide-erratum test
};

FpState& fp_state();

}  // namespace rt
