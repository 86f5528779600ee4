// Process start-up: the floating-point environment, the console units, one
// call of the main program, and the exit sequence with its result. A help or
// version request is answered once the standard handles are settled, and a
// refused command line (a bad expression among them) is refused before
// anything else. From the first allocation on, a refused one ends the run
// with its report.
#include <string_view>
#include <variant>

#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "platform/console.hpp"
#include "principal/command_line.hpp"
#include "principal/principal.hpp"
#include "principal/typed_equation.hpp"
#include "runtime/fpenv.hpp"
#include "runtime/termination.hpp"

namespace {

// An end before the dialogue goes through the platform's exit, as every
// other end does: a page that runs the program learns of it only there.
[[noreturn]] void refuse(std::string_view why) {
    plat::write_all(plat::standard_error, why.data(), why.size());
    plat::exit_process(principal::refused_status);
}

void start_run(principal::CommandLine& line) {
    plat::set_arguments(static_cast<int>(line.arguments.size()), line.arguments.data());
    rt::setup_floating_point();
    io::create_console_units();
}

}  // namespace

int main(int argc, char** argv) {
    plat::prepare_process();
    rt::end_run_on_refused_memory();
    principal::CommandLine line = principal::read_command_line(argc, argv);
    if (line.request == principal::Request::refused) refuse(line.refusal);
    if (line.request != principal::Request::dialogue) {
        std::string_view text = principal::request_text(line.request);
        const bool written = plat::write_all(plat::standard_output, text.data(), text.size()) == plat::WriteFailure::none;
        plat::exit_process(written ? 0 : 1);
    }
    if (line.equation.f) {
        auto typed = principal::typed_equation(line.equation);
        if (auto* refusal = std::get_if<std::string>(&typed)) refuse(*refusal);
        start_run(line);
        rt::exit_sequence(principal::principal(std::get<subrotinas::EquacaoDigitada>(typed)));
    }
    start_run(line);
    subrotinas::EquacaoEmbutida embutida;
    rt::exit_sequence(principal::principal(embutida));
}
