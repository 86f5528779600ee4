// raizes-plot REPORT... [-o FILE.svg]: draws the convergence of the runs in
// the reports into one SVG file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "help.hpp"
#include "report.hpp"
#include "svg_plot.hpp"
#include "text.hpp"

namespace {

constexpr int status_bad_input = 2;
constexpr int status_cannot_write = 1;

constexpr const char* usage = "usage: raizes-plot REPORT... [-o FILE.svg]";

struct Arguments {
    std::vector<std::string> reports;
    std::string output;  // empty: beside the first report
};

std::optional<Arguments> parse_arguments(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o") {
            if (i + 1 >= argc || !a.output.empty()) return std::nullopt;
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

// The whole file in one read.
std::optional<std::string> read_whole(const std::string& path, std::string& reason) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec) bytes.resize(static_cast<std::size_t>(size));
    std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    bytes.resize(got);
    // A file that grew, or one whose size is not known in advance.
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        reason = "read error";
        return std::nullopt;
    }
    return bytes;
}

// Written under a temporary name and renamed, so that a failure leaves no
// half-written picture under the output name.
bool write_file(const std::string& path, const std::string& bytes, std::string& reason) {
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    std::error_code ec;
    if (written && closed) std::filesystem::rename(temporary, path, ec);
    if (!written || !closed || ec) {
        reason = ec ? ec.message() : "write error";
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

int main(int argc, char** argv) {
    const auto arguments = parse_arguments(argc, argv);
    if (!arguments) {
        if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
            std::printf("%s\n\n%s", usage, plot::help_text);
            return 0;
        }
        std::fprintf(stderr, "%s\n", usage);
        return status_bad_input;
    }
    const std::string output = arguments->output.empty() ? default_output(arguments->reports.front()) : arguments->output;

    std::vector<plot::Run> runs;
    for (const std::string& path : arguments->reports) {
        if (same_file(path, output)) {
            std::fprintf(stderr, "raizes-plot: %s: the picture would replace this report\n", path.c_str());
            return status_bad_input;
        }
        std::string reason;
        const auto bytes = read_whole(path, reason);
        if (!bytes) {
            std::fprintf(stderr, "raizes-plot: %s: cannot be read: %s\n", path.c_str(), reason.c_str());
            return status_bad_input;
        }
        auto parsed = plot::parse_report(*bytes);
        if (const auto* failure = std::get_if<plot::ParseError>(&parsed)) {
            std::fprintf(stderr, "raizes-plot: %s:%lld: %s\n", path.c_str(), static_cast<long long>(failure->line),
                         failure->message.c_str());
            return status_bad_input;
        }
        const std::string name = std::filesystem::path(path).filename().string();
        runs.push_back({std::move(std::get<plot::Report>(parsed)), plot::display_name(name)});
    }

    std::string reason;
    if (!write_file(output, plot::render_svg(runs), reason)) {
        std::fprintf(stderr, "raizes-plot: %s: cannot be written: %s\n", output.c_str(), reason.c_str());
        return status_cannot_write;
    }
    std::printf("%s\n", output.c_str());
    return 0;
}
