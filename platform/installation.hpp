#pragma once
// The viewer that comes with the program.
#include <optional>
#include <string>

namespace plat {

// The command processor that comes with the program: the stand-in viewer
// installed beside an installed program or, for the program in the folder
// its build put it in, the viewer of the sources it was built from. Both
// places are fixed when the build is configured; the file is taken only when
// it is there and can be run. Nothing for any other program (and on a system
// that has a command processor of its own).
std::optional<std::string> bundled_command_processor();

}  // namespace plat
