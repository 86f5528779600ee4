#pragma once
// What raizes-plot --help prints after its usage line: what the picture
// shows and how to read it.
namespace plot {

inline constexpr const char* help_text =
    "Draws the runs of one or more raizes reports on one picture, an SVG file\n"
    "that a web browser shows, and prints its name. Without -o the picture\n"
    "goes beside the first report: raiz.bis.txt gives raiz.bis.svg;\n"
    "-o - writes it to standard output.\n"
    "\n"
    "Reading the picture (one colour and marker per run):\n"
    "  top     the iterate p(i) against the iteration i: where a run goes and\n"
    "          how soon it settles on the root (near 14.78 for the built-in\n"
    "          equation; a typed one is written under the title).\n"
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
    "Exit status: 0 drawn; 1 the picture could not be written; 2 a bad\n"
    "report or usage, with one line on standard error naming the file and\n"
    "the line. More: man raizes-plot.\n";

}  // namespace plot
