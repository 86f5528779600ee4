// Process start-up: the floating-point environment, the console units, one
// call of the main program, and the exit sequence with its result. A help or
// version request is answered once the standard handles are settled. From
// the first allocation on, a refused one ends the run with its report.
#include <string_view>

#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "platform/console.hpp"
#include "principal/command_line.hpp"
#include "principal/principal.hpp"
#include "runtime/fpenv.hpp"
#include "runtime/termination.hpp"

int main(int argc, char** argv) {
    plat::prepare_process();
    rt::end_run_on_refused_memory();
    principal::Request request = principal::request_of(argc, argv);
    if (request != principal::Request::dialogue) {
        std::string_view text = principal::request_text(request);
        return plat::write_all(plat::standard_output, text.data(), text.size()) == plat::WriteFailure::none ? 0 : 1;
    }
    plat::set_arguments(argc, argv);
    rt::setup_floating_point();
    io::create_console_units();
    rt::exit_sequence(principal::principal());
}
