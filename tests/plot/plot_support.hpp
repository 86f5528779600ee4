#pragma once
// What the raizes-plot tests share: reports written by the real program, the
// report text read back by plain means, and running a command as a process.
#include <sys/types.h>

#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "report.hpp"
#include "run_reading.hpp"

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

// A report's bytes read as raizes-plot reads them, fed in pieces of `piece`
// bytes, and its rows besides, read line by line.
struct ReadReport {
    plot::RunSummary run;
    std::vector<plot::Row> rows;
};
std::variant<ReadReport, plot::ParseError> read_report(const std::string& bytes, std::size_t piece = 65536);

// The names in a folder.
std::set<std::string> files_in(const std::string& directory);

struct CommandResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

// Runs argv[0] (looked up in PATH) in `directory`; standard output and error
// are kept apart from that directory. A file size limit of 0 or more is set
// for the command.
CommandResult run_command(const std::vector<std::string>& argv, const std::string& directory,
                          long long file_size_limit = -1);

CommandResult run_plot(const std::vector<std::string>& arguments, const std::string& directory,
                       long long file_size_limit = -1);

// Starts raizes-plot in `directory` without waiting for it (output and
// errors to /dev/null); finish_command waits and gives its status.
pid_t start_plot(const std::vector<std::string>& arguments, const std::string& directory);
int finish_command(pid_t child);

}  // namespace plot_test
