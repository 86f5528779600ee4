#pragma once
// What raizes-plot --help prints after its usage line: what the picture
// shows and how to read it.
namespace plot {

inline constexpr const char* help_text =
    "Draws the runs of raizes reports on one picture, an SVG file for a web\n"
    "browser, and prints its name. Without -o it goes beside the first report\n"
    "(raiz.bis.txt gives raiz.bis.svg). A regular file is replaced whole; a\n"
    "FIFO, a device, - (standard output), /dev/stdout or /dev/fd/N is written\n"
    "as it is; a link is followed where the system allows; anything else is\n"
    "refused.\n"
    "\n"
    "Reading the picture (one colour and marker per run):\n"
    "  top     the iterate p(i) against the iteration i: where a run goes and\n"
    "          how soon it settles on the root (14.78 for the built-in equation).\n"
    "  bottom  the change |p(i) - p(i-1)| on a logarithmic scale, each grid\n"
    "          line ten times below the one above. A straight falling line is\n"
    "          linear convergence, a fixed number of digits gained per step;\n"
    "          a line that falls ever more steeply is faster.\n"
    "  legend  per run: method, inputs, how it ended, the estimated order of\n"
    "          convergence (1 linear, about 1.6 secant, 2 Newton-Raphson), the\n"
    "          last iterate and its change.\n"
    "  marks   a ring at the row where a run converged; a cross at the last\n"
    "          row of a run that did not.\n"
    "\n"
    "Exit status: 0 drawn; 1 not written, name not printed, or out of memory;\n"
    "2 a bad report or usage (one line on standard error). More: man raizes-plot.\n";

}  // namespace plot
