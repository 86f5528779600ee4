#pragma once
// The program's own command-line options. "--help" or "--version", standing
// alone on the command line, answer with a text and end the program; any
// other arguments are left to serve as fallback file names, and the dialogue
// runs.
#include <string_view>

namespace principal {

enum class Request { dialogue, help, version };

// `count` and `arguments` as the process received them (argument 0 is the
// program).
Request request_of(int count, const char* const* arguments);

// What to write to standard output for a help or version request; empty for
// the dialogue.
std::string_view request_text(Request request);

}  // namespace principal
