// On Windows the command processor is the system's own (cmd.exe, or the one
// COMSPEC names): nothing is installed beside the program to take its place.
#include "platform/installation.hpp"

namespace plat {

std::optional<std::string> bundled_command_processor() { return std::nullopt; }

}  // namespace plat
