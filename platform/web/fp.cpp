// WebAssembly has no floating-point exceptions: no flags, no traps, and
// always doubles rounded to nearest with gradual underflow. The run-time
// judges each result of the program's reals itself (runtime/real.hpp).
#include "platform/fp.hpp"

namespace plat {

void set_double_arithmetic() {}

void enable_fp_traps() {}

void install_fp_trap_handler(FpTrapHandler) {}

int take_pending_fp_trap() { return 0; }

double call_with_fp_traps_held(double (*fn)(double, double), double x, double y) { return fn(x, y); }

}  // namespace plat
