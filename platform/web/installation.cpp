// Nothing is installed beside the web program: under node the command
// processor is COMSPEC's or cmd.exe, and in the page the page itself.
#include "platform/installation.hpp"

namespace plat {

std::optional<std::string> bundled_command_processor() { return std::nullopt; }

}  // namespace plat
