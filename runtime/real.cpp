#include "runtime/real.hpp"

#include "runtime/fpenv.hpp"

namespace rt {

void deliver_checked_trap(int trap_code) { floating_point_trap(trap_code); }

}  // namespace rt
