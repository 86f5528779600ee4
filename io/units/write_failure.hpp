#pragma once
// The run-time error of a write the OS did not complete.
#include "platform/console.hpp"

namespace io {

// 0 for none, 422 no space, 421 access refused, 423 any other failure.
int write_failure_number(plat::WriteFailure failure);

}  // namespace io
