#include "runtime/fpenv.hpp"

#include <bit>
#include <cmath>

#include "platform/fp.hpp"
#include "runtime/elementary.hpp"
#include "runtime/termination.hpp"

namespace rt {

namespace {

FpState g_state;

struct CodeEntry {
    int code;
    std::string_view word;
    int number;
};

constexpr CodeEntry code_table[] = {
    {1, "DOMAIN", 6201},
    {2, "SING", 6202},
    {3, "OVERFLOW", 6203},
    {4, "UNDERFLOW", 6204},
    {5, "TLOSS", 6205},
    {6, "PLOSS", 6206},
    {129, "invalid", 6101},
    {130, "denormal", 6102},
    {131, "divide by zero", 6103},
    {132, "overflow", 6104},
    {133, "underflow", 6105},
    {134, "inexact", 6106},
    {136, "square root", 6108},
    {138, "stack overflow", 6110},
    {139, "stack underflow", 6111},
};

const CodeEntry* find_code(int code) {
    for (const CodeEntry& entry : code_table) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

void append(ErrorMessage& message, std::string_view text) {
    for (char c : text) {
        if (message.length == sizeof message.text) return;
        message.text[message.length++] = c;
    }
}

// Classes of a double read from its bits, so that judging a NaN result
// raises no exception of its own.
enum class Class { zero, subnormal, normal, infinite, nan };

Class class_of(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto exponent = (bits >> 52) & 0x7FF;
    const auto fraction = bits & 0x000F'FFFF'FFFF'FFFFu;
    if (exponent == 0) return fraction == 0 ? Class::zero : Class::subnormal;
    if (exponent == 0x7FF) return fraction == 0 ? Class::infinite : Class::nan;
    return Class::normal;
}

bool is_negative(double value) { return (std::bit_cast<std::uint64_t>(value) >> 63) != 0; }

// The known divide erratum of some early processors gives a remainder of
// about 256 here instead of 0.
bool division_is_sound() {
    volatile double dividend = 4195835.0;
    volatile double divisor = 3145727.0;
    const double quotient = dividend / divisor;
    const double remainder = dividend - quotient * divisor;
    return !(remainder > 1.0);
}

double library_exp(double x, double) { return std::exp(x); }

// A trap raised while masked (it did not interrupt its operation) is handled
// now, as the trap of an ordinary operation.
void take_pending_trap() {
    const int code = plat::take_pending_fp_trap();
    if (code != 0) floating_point_trap(code);
}

double run_intrinsic(std::int32_t number, std::string_view name, double (*library)(double, double),
                     double x, double y, MathError (*classify)(double, double, double)) {
    take_pending_trap();
    g_state.intrinsic = number;
    const double result = plat::call_with_fp_traps_held(library, x, y);
    const MathError error = classify(x, y, result);
    if (error != MathError::none) math_error_hook({error, name, x, y, result});
    g_state.intrinsic = 0;
    return result;
}

MathError classify_exp_of(double x, double, double result) { return classify_exp(x, result); }

// The run-time's own functions, in the shape of the library's.
double own_pow(double x, double y) { return elementary::pow(x, y); }
double own_log(double x, double) { return elementary::log(x); }
double own_sqrt(double x, double) { return std::sqrt(x); }
double own_sin(double x, double) { return elementary::sin(x); }
double own_cos(double x, double) { return elementary::cos(x); }
double own_tan(double x, double) { return elementary::tan(x); }
double own_atan(double x, double) { return elementary::atan(x); }

MathError classify_log_of(double x, double, double) { return classify_log(x); }
MathError classify_sqrt_of(double x, double, double) { return classify_sqrt(x); }
MathError classify_periodic_of(double x, double, double) { return classify_periodic(x); }
MathError defined_everywhere(double, double, double) { return MathError::none; }

}  // namespace

FpState& fp_state() { return g_state; }

void setup_floating_point() {
    g_state.division_sound = division_is_sound();
    plat::set_double_arithmetic();
    plat::install_fp_trap_handler(floating_point_trap);
    plat::enable_fp_traps();
}

MathError classify_exp(double x, double result) {
    const Class arg = class_of(x);
    const Class value = class_of(result);
    if (arg == Class::nan) return MathError::none;
    if (value == Class::nan) return MathError::domain;
    if (arg == Class::infinite) return MathError::none;
    if (value == Class::infinite) return MathError::overflow;
    if (value == Class::zero || value == Class::subnormal) return MathError::underflow;
    return MathError::none;
}

MathError classify_pow(double x, double y, double result) {
    const Class base = class_of(x);
    const Class exponent = class_of(y);
    const Class value = class_of(result);
    if (base == Class::nan || exponent == Class::nan) return MathError::none;
    if (value == Class::nan) return MathError::domain;
    if (base == Class::zero && is_negative(y) && exponent != Class::zero) return MathError::sing;
    if (base == Class::infinite || exponent == Class::infinite) return MathError::none;
    if (value == Class::infinite) return MathError::overflow;
    if (value == Class::subnormal || (value == Class::zero && base != Class::zero)) {
        return MathError::underflow;
    }
    return MathError::none;
}

MathError classify_log(double x) {
    const Class arg = class_of(x);
    if (arg == Class::nan) return MathError::none;
    if (arg == Class::zero) return MathError::sing;
    return is_negative(x) ? MathError::domain : MathError::none;
}

MathError classify_sqrt(double x) {
    const Class arg = class_of(x);
    return arg != Class::nan && arg != Class::zero && is_negative(x) ? MathError::domain : MathError::none;
}

MathError classify_periodic(double x) { return class_of(x) == Class::infinite ? MathError::domain : MathError::none; }

// Arguments for which the library can raise nothing but inexact and returns
// a normal number: the call needs neither held traps nor a classification.
// The comparisons are quiet ones, false for a NaN, which takes the full path.
bool exp_is_quiet(double x) { return std::isless(-700.0, x) && std::isless(x, 700.0); }
bool square_is_quiet(double x, double y) {
    const double magnitude = std::fabs(x);
    return y == 2.0 && std::isless(1e-150, magnitude) && std::isless(magnitude, 1e150);
}

double rt_exp(double x) {
    if (exp_is_quiet(x)) {
        take_pending_trap();
        return std::exp(x);
    }
    return run_intrinsic(intrinsic_exp, "exp", library_exp, x, 0.0, classify_exp_of);
}

double rt_pow(double x, double y) {
    if (square_is_quiet(x, y)) {
        take_pending_trap();
        return x * x;
    }
    return run_intrinsic(intrinsic_pow, "pow", own_pow, x, y, classify_pow);
}

double rt_log(double x) { return run_intrinsic(intrinsic_log, "log", own_log, x, 0.0, classify_log_of); }
double rt_sqrt(double x) { return run_intrinsic(intrinsic_sqrt, "sqrt", own_sqrt, x, 0.0, classify_sqrt_of); }
double rt_sin(double x) { return run_intrinsic(intrinsic_sin, "sin", own_sin, x, 0.0, classify_periodic_of); }
double rt_cos(double x) { return run_intrinsic(intrinsic_cos, "cos", own_cos, x, 0.0, classify_periodic_of); }
double rt_tan(double x) { return run_intrinsic(intrinsic_tan, "tan", own_tan, x, 0.0, classify_periodic_of); }
double rt_atan(double x) { return run_intrinsic(intrinsic_atan, "atan", own_atan, x, 0.0, defined_everywhere); }

bool math_error_hook(const MathErrorRecord& record) {
    if (record.type == MathError::underflow || record.type == MathError::ploss) return true;
    g_state.error_code = static_cast<std::int32_t>(record.type);
    const std::string_view display = record.name == "pow" ? std::string_view("**") : record.name;
    std::size_t length = 0;
    for (char& c : g_state.display_name) c = length < display.size() ? display[length++] : ' ';
    const ErrorMessage message = math_error_message(std::string_view(g_state.display_name, length), record.type);
    runtime_error_report(error_report_number(g_state.error_code), message.view(), Kind::math, {});
}

void floating_point_trap(int trap_code) {
    // Inside an intrinsic the platform resumes the operation with a clean
    // state and the intrinsic's own error path decides.
    if (g_state.intrinsic != 0) return;
    if (find_code(trap_code) == nullptr) trap_code = plat::fp_trap_invalid;
    g_state.error_code = trap_code;
    const ErrorMessage message = trap_message(trap_code);
    runtime_error_report(error_report_number(trap_code), message.view(), Kind::math, {});
}

ErrorMessage trap_message(int trap_code) {
    ErrorMessage message;
    append(message, "floating-point error: ");
    if (const CodeEntry* entry = find_code(trap_code)) append(message, entry->word);
    return message;
}

ErrorMessage math_error_message(std::string_view display_name, MathError type) {
    ErrorMessage message;
    append(message, display_name);
    append(message, ": ");
    if (const CodeEntry* entry = find_code(static_cast<int>(type))) append(message, entry->word);
    append(message, " error");
    return message;
}

int error_report_number(int code) {
    const CodeEntry* entry = find_code(code);
    return entry == nullptr ? 0 : entry->number;
}

}  // namespace rt
