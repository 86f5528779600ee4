#pragma once
// Floating-point control of the processor and delivery of its traps.

namespace plat {

// The codes under which a trapped operation is handed to the run-time.
enum FpTrapCode : int {
    fp_trap_invalid = 129,
    fp_trap_denormal = 130,
    fp_trap_divide_by_zero = 131,
    fp_trap_overflow = 132,
    fp_trap_underflow = 133,
    fp_trap_inexact = 134,
};

// Whether the processor itself stops at a trapped operation and hands it to
// the trap handler. WebAssembly has no floating-point exceptions at all:
// there the code that computes a result must judge it.
#if defined(__wasm__)
inline constexpr bool fp_traps_delivered = false;
#else
inline constexpr bool fp_traps_delivered = true;
#endif

// Receives every trapped floating-point operation. If it returns, the program
// resumes at the trapped operation with every floating-point exception masked
// and no flag raised, so the operation completes with its default IEEE result
// (NaN, infinity); whoever asked for the resumption restores the trapping
// environment afterwards. Runs inside a signal handler.
using FpTrapHandler = void (*)(int trap_code);

// Double arithmetic with 53-bit significands, rounding to nearest, gradual
// underflow (no flush to zero), and no exception flag raised.
void set_double_arithmetic();

// Traps invalid operation, division by zero and overflow; denormal operands,
// underflow and inexact results pass silently.
void enable_fp_traps();

// Routes the traps of enable_fp_traps to `handler` for the rest of the run.
// Faults that are not floating-point traps (integer division by zero, a
// signal sent by another process) keep the system's default action.
void install_fp_trap_handler(FpTrapHandler handler);

// Makes any trap still deferred from earlier operations happen now. Returns
// the trap code of an exception whose flag is raised without having trapped
// (it was raised while masked), or 0 when there is none.
int take_pending_fp_trap();

// Evaluates fn(x, y) with every trap held off; afterwards clears the flags it
// raised and brings back the environment in force before the call.
double call_with_fp_traps_held(double (*fn)(double, double), double x, double y);

}  // namespace plat
