#pragma once
// What the raizes-plot tests share: reports written by the real program, the
// report text read back by plain means, and running a command as a process.
#include <optional>
#include <string>
#include <vector>

namespace plot_test {

// Runs raizes with `dialogue` on standard input in `directory` (the viewer is
// not found there, and the run goes on) and returns the bytes of `report`.
std::string write_report(const std::string& dialogue, const std::string& directory, const std::string& report);

// A table row as the report text shows it, read with strtod: the exponent
// without its letter ("1.000000000000000-100") gets the letter back first.
struct WrittenRow {
    std::string number;  // the five characters as written
    double iterate;
    std::optional<double> change;
};
std::vector<WrittenRow> written_rows(const std::string& report);

struct CommandResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

// Runs argv[0] (looked up in PATH) in `directory`; standard output and error
// are kept apart from that directory.
CommandResult run_command(const std::vector<std::string>& argv, const std::string& directory);

CommandResult run_plot(const std::vector<std::string>& arguments, const std::string& directory);

}  // namespace plot_test
