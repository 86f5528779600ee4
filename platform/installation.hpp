#pragma once
// What an installed program finds beside itself.
#include <optional>
#include <string>

namespace plat {

// The command processor installed with the program (the stand-in viewer of
// an installation), when it is there and can be run; nothing for a program
// that was not installed with one, such as one in its build folder.
std::optional<std::string> bundled_command_processor();

}  // namespace plat
