// raizes-plot REPORT... [-o FILE.svg]: draws the convergence of the runs in
// the reports into one SVG file (-o - writes it to standard output).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>
#include <vector>

#include "help.hpp"
#include "picture_file.hpp"
#include "run_reading.hpp"
#include "svg_plot.hpp"
#include "text.hpp"

namespace {

constexpr int status_bad_input = 2;
constexpr int status_cannot_write = 1;

// Ends the run when memory is refused, from operator new or the C library:
// one line, and the status of a picture that could not be written.
[[noreturn]] void out_of_memory() {
    std::fputs("raizes-plot: out of memory\n", stderr);
    std::_Exit(status_cannot_write);
}

constexpr const char* usage = "usage: raizes-plot REPORT... [-o FILE.svg]";

struct Arguments {
    std::vector<std::string> reports;
    std::optional<std::string> output;  // none: beside the first report
};

std::optional<Arguments> parse_arguments(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o") {
            if (i + 1 >= argc || a.output || argv[i + 1][0] == '\0') return std::nullopt;
            a.output = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return std::nullopt;
        } else {
            a.reports.push_back(arg);
        }
    }
    if (a.reports.empty()) return std::nullopt;
    return a;
}

// The first report's name with ".svg" in place of ".txt".
std::string default_output(const std::string& report) {
    const std::string txt = ".txt";
    if (report.size() > txt.size() && report.compare(report.size() - txt.size(), txt.size(), txt) == 0)
        return report.substr(0, report.size() - txt.size()) + ".svg";
    return report + ".svg";
}

// The report read in pieces, never more than one piece at a time in memory.
std::variant<plot::RunSummary, plot::ParseError, std::string> read_report(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file && errno == ENOMEM) out_of_memory();
    if (!file) return std::string(std::strerror(errno));
    plot::ReportStream stream;
    std::vector<char> buffer(64 * 1024);
    std::size_t n = 0;
    while (!stream.failure && (n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        plot::feed(stream, std::string_view(buffer.data(), n));
    const int error = errno;
    const bool failed = !stream.failure && std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::string(error != 0 ? std::strerror(error) : "read error");
    auto result = plot::finish(stream);
    if (auto* failure = std::get_if<plot::ParseError>(&result)) return std::move(*failure);
    return std::move(std::get<plot::RunSummary>(result));
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

// What this run printed on standard output reached it, or the run fails.
int finish_output(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
    std::fprintf(stderr, "raizes-plot: standard output: cannot be written: %s\n", std::strerror(errno));
    return status_cannot_write;
}

}  // namespace

int main(int argc, char** argv) {
    std::set_new_handler(out_of_memory);
    const auto arguments = parse_arguments(argc, argv);
    if (!arguments) {
        if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
            std::printf("%s\n\n%s", usage, plot::help_text);
            return finish_output(0);
        }
        std::fprintf(stderr, "%s\n", usage);
        return status_bad_input;
    }
    const std::string output = arguments->output.value_or(default_output(arguments->reports.front()));

    std::vector<plot::Run> runs;
    for (const std::string& path : arguments->reports) {
        if (same_file(path, output)) {
            std::fprintf(stderr, "raizes-plot: %s: the picture would replace this report\n", path.c_str());
            return status_bad_input;
        }
        auto read = read_report(path);
        if (const auto* reason = std::get_if<std::string>(&read)) {
            std::fprintf(stderr, "raizes-plot: %s: cannot be read: %s\n", path.c_str(), reason->c_str());
            return status_bad_input;
        }
        if (const auto* failure = std::get_if<plot::ParseError>(&read)) {
            std::fprintf(stderr, "raizes-plot: %s:%lld: %s\n", path.c_str(), static_cast<long long>(failure->line),
                         failure->message.c_str());
            return status_bad_input;
        }
        const std::string name = std::filesystem::path(path).filename().string();
        runs.push_back({std::move(std::get<plot::RunSummary>(read)), plot::display_name(name)});
    }

    if (const auto failure = plot::write_picture(output, plot::render_svg(runs))) {
        std::fprintf(stderr, "raizes-plot: %s: cannot be written: %s\n", output.c_str(), failure->c_str());
        return status_cannot_write;
    }
    // The name of the picture, unless the picture itself went to standard output.
    if (plot::descriptor_named(output) != 1) std::printf("%s\n", output.c_str());
    return finish_output(0);
}
