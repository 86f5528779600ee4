#include "principal/command_line.hpp"

#include <string_view>

#ifndef RAIZES_VERSION
#error "RAIZES_VERSION must name the program's version"
#endif

namespace principal {

namespace {

constexpr std::string_view usage =
    "Usage: raizes [--f F [--g G] [--df DF]] [FILE]  or  raizes --help | --version\n"
    "Finds a root of f(x) = 667.38 (1 - exp(-0.146843 x)) / x - 40 (near 14.78), or\n"
    "of f(x) = F, by one of five methods, and writes every iterate to a report file.\n"
    "G: x = g(x) (method 3). DF: f'(x) (method 4), else exact. Quote: --f 'x*x - 2'\n"
    "F, G, DF: numbers, x, pi, + - * / ** ^ ( ), exp log sqrt sin cos tan atan abs.\n"
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

namespace {

struct EquationOption {
    std::string_view name;
    std::optional<std::string_view> EquationTexts::*text;
};
constexpr EquationOption equation_options[] = {
    {"--f", &EquationTexts::f},
    {"--g", &EquationTexts::g},
    {"--df", &EquationTexts::df},
};

}  // namespace

CommandLine read_command_line(int count, char* const* arguments) {
    CommandLine line;
    if (count > 0) line.arguments.push_back(arguments[0]);
    for (int i = 1; i < count; ++i) {
        const std::string_view argument = arguments[i];
        const EquationOption* option = nullptr;
        std::optional<std::string_view> text;
        for (const EquationOption& candidate : equation_options) {
            if (argument == candidate.name) {
                option = &candidate;
                if (i + 1 < count) text = arguments[++i];
            } else if (argument.starts_with(candidate.name) && argument.substr(candidate.name.size()).starts_with('=')) {
                option = &candidate;
                text = argument.substr(candidate.name.size() + 1);
            }
            if (option != nullptr) break;
        }
        if (option == nullptr) {
            line.arguments.push_back(arguments[i]);
            continue;
        }
        std::optional<std::string_view>& slot = line.equation.*(option->text);
        if (!text) line.refusal = "raizes: " + std::string(option->name) + " needs an expression\n";
        else if (slot) line.refusal = "raizes: " + std::string(option->name) + " is given twice\n";
        if (!line.refusal.empty()) break;
        slot = text;
    }
    if (line.refusal.empty() && !line.equation.f && (line.equation.g || line.equation.df))
        line.refusal = "raizes: --g and --df go with the equation itself: give f with --f EXPR\n";
    if (!line.refusal.empty()) {
        line.request = Request::refused;
        return line;
    }
    if (line.arguments.size() == 2) {
        const std::string_view only = line.arguments[1];
        if (only == "--help") line.request = Request::help;
        if (only == "--version") line.request = Request::version;
    }
    return line;
}

std::string_view request_text(Request request) {
    switch (request) {
        case Request::help: return usage;
        case Request::version: return version;
        case Request::dialogue:
        case Request::refused: break;
    }
    return {};
}

}  // namespace principal
