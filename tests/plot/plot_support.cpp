#include "plot_support.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <csignal>
#include <cstdlib>

#include "support/run_program.hpp"

namespace plot_test {

std::string write_report(const std::string& dialogue, const std::string& directory, const std::string& report) {
    e2e::RunOptions options;
    options.input = dialogue;
    options.directory = directory;
    e2e::run_program(options);
    return e2e::read_file(directory + "/" + report);
}

namespace {

std::vector<std::string> split_crlf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

double read_real(const std::string& field) {
    if (field.find('E') != std::string::npos) return std::strtod(field.c_str(), nullptr);
    const std::size_t sign = field.find_last_of("+-");
    const std::string lettered = field.substr(0, sign) + "E" + field.substr(sign);
    return std::strtod(lettered.c_str(), nullptr);
}

}  // namespace

std::vector<WrittenRow> written_rows(const std::string& report) {
    std::vector<WrittenRow> rows;
    bool in_table = false;
    for (const std::string& line : split_crlf(report)) {
        if (line.rfind("Itera\xE7\xE3o", 0) == 0) {
            in_table = true;
            continue;
        }
        if (!in_table) continue;
        if (line.empty()) break;
        WrittenRow row{line.substr(0, 5), read_real(line.substr(5, 25)), std::nullopt};
        if (line.size() > 30) row.change = read_real(line.substr(30, 25));
        rows.push_back(row);
    }
    return rows;
}

std::variant<ReadReport, plot::ParseError> read_report(const std::string& bytes, std::size_t piece) {
    plot::ReportStream stream;
    for (std::size_t at = 0; at < bytes.size(); at += piece) plot::feed(stream, std::string_view(bytes).substr(at, piece));
    auto run = plot::finish(stream);
    if (auto* failure = std::get_if<plot::ParseError>(&run)) return *failure;
    ReadReport read{std::move(std::get<plot::RunSummary>(run)), {}};
    plot::ReportReader reader;
    for (std::size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        auto line = plot::read_line(reader, std::string_view(bytes).substr(start, end - start), true);
        if (auto* row = std::get_if<plot::Row>(&line)) read.rows.push_back(*row);
    }
    return read;
}

std::set<std::string> files_in(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) names.insert(entry.path().filename());
    return names;
}

namespace {

[[noreturn]] void exec_command(const std::vector<std::string>& argv, const std::string& directory, int out, int err,
                               long long file_size_limit) {
    if (out < 0 || err < 0 || ::chdir(directory.c_str()) != 0) ::_exit(126);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::signal(SIGPIPE, SIG_DFL);
    if (file_size_limit >= 0) {
        const rlimit limit{static_cast<rlim_t>(file_size_limit), static_cast<rlim_t>(file_size_limit)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(125);
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
}

std::vector<std::string> plot_argv(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{RAIZES_PLOT_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

}  // namespace

CommandResult run_command(const std::vector<std::string>& argv, const std::string& directory,
                          long long file_size_limit) {
    CommandResult result;
    const std::string streams = e2e::make_temp_dir();
    const std::string out_path = streams + "/out", err_path = streams + "/err";
    const pid_t child = ::fork();
    if (child == 0)
        exec_command(argv, directory, ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
                     ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), file_size_limit);
    result.status = finish_command(child);
    result.out = e2e::read_file(out_path);
    result.err = e2e::read_file(err_path);
    return result;
}

CommandResult run_plot(const std::vector<std::string>& arguments, const std::string& directory,
                       long long file_size_limit) {
    return run_command(plot_argv(arguments), directory, file_size_limit);
}

pid_t start_plot(const std::vector<std::string>& arguments, const std::string& directory) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        exec_command(plot_argv(arguments), directory, null, null, -1);
    }
    return child;
}

int finish_command(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace plot_test
