#include "principal/command_line.hpp"

#include <string_view>

#ifndef RAIZES_VERSION
#error "RAIZES_VERSION must name the program's version"
#endif

namespace principal {

namespace {

constexpr std::string_view usage =
    "Usage: raizes [FILE]    or    raizes --help    or    raizes --version\n"
    "\n"
    "Finds the root (near 14.78) of f(x) = 667.38 (1 - exp(-0.146843 x)) / x - 40\n"
    "by one of five methods and writes every iterate to a report file.\n"
    "\n"
    "Dialogue (prompts in Portuguese), one answer per prompt:\n"
    "  method   1 bisection, 2 false position, 3 simple fixed point,\n"
    "           4 Newton-Raphson, 5 secant (any other number ends the run)\n"
    "  name     the report's base name, cut to 60 characters, a folder included\n"
    "  inputs   1, 2: interval a b, tolerance, maximum of iterations; 3, 4:\n"
    "           tolerance, maximum, estimate p0; 5: tolerance, maximum, p0 p1\n"
    "Input: use a decimal point (0.001). A blank, comma, slash or line end ends\n"
    "  a value: 0,1 is 0 and the 1 is thrown away. 1e-6 = 1d-6 = 1-6. 2*7.5 is\n"
    "  7.5 twice. A lone comma leaves the value as it was. Quote a name that\n"
    "  holds blanks or a folder: 'meu arquivo', 'dados/raiz'.\n"
    "Report: the name plus .bis.txt, .fp.txt, .pfs.txt, .new.txt or .sec.txt,\n"
    "  Windows-1252 text with CR LF line ends. An empty name (a lone comma)\n"
    "  gives way to FILE, which is used without the tag.\n"
    "Viewer: at the end the program runs PROCESSOR /c \"notepad REPORT\", where\n"
    "  PROCESSOR is $COMSPEC, else the viewer that comes with raizes (installed,\n"
    "  or the sources' tools/cmd in the build folder), else cmd.exe. It shows\n"
    "  the report in $VISUAL or $EDITOR, else $PAGER, less, more or cat.\n"
    "More: man raizes; raizes-plot --help, for a picture of runs; the guide.\n";

constexpr std::string_view version = "raizes " RAIZES_VERSION "\n";

}  // namespace

Request request_of(int count, const char* const* arguments) {
    if (count != 2) return Request::dialogue;
    std::string_view only = arguments[1];
    if (only == "--help") return Request::help;
    if (only == "--version") return Request::version;
    return Request::dialogue;
}

std::string_view request_text(Request request) {
    switch (request) {
        case Request::help: return usage;
        case Request::version: return version;
        case Request::dialogue: break;
    }
    return {};
}

}  // namespace principal
