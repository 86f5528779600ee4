#pragma once
// The program's own command-line options. "--help" or "--version", standing
// alone on the command line, answer with a text and end the program. The
// equation's options "--f EXPR", "--g EXPR" and "--df EXPR" (or
// "--f=EXPR"...) are taken out wherever they stand; the arguments left keep
// their meaning: fallback file names, and the dialogue runs.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace principal {

enum class Request { dialogue, help, version, refused };

// The exit status of a refused command line, and of a run that needs an
// option it was not given; a run-time error ends with 1.
inline constexpr int refused_status = 2;

// The equation's expressions as given, each present or not.
struct EquationTexts {
    std::optional<std::string_view> f, g, df;
};

struct CommandLine {
    Request request = Request::dialogue;
    EquationTexts equation;
    std::vector<char*> arguments;  // argument 0 and every argument that is no equation option
    std::string refusal;           // why the command line is refused: one or more lines
};

// `count` and `arguments` as the process received them (argument 0 is the
// program).
CommandLine read_command_line(int count, char* const* arguments);

// What to write to standard output for a help or version request; empty for
// the dialogue.
std::string_view request_text(Request request);

}  // namespace principal
