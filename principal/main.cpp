// Process start-up: the floating-point environment, the console units, one
// call of the main program, and the exit sequence with its result.
#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "platform/console.hpp"
#include "principal/principal.hpp"
#include "runtime/fpenv.hpp"
#include "runtime/termination.hpp"

int main(int argc, char** argv) {
    plat::prepare_process();
    plat::set_arguments(argc, argv);
    rt::setup_floating_point();
    io::create_console_units();
    rt::exit_sequence(principal::principal());
}
