#include "support/run_program.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace e2e {

const char* const typed_f = "(1 - exp(-(x*0.146843)))*667.38/x - 40";
const char* const typed_g = "(1 - exp(-(x*0.146843)))*667.38/40";
const char* const typed_df = "-((1 - exp(-(x*0.146843)))*667.38/x**2) + exp(-(x*0.146843))*0.146843*667.38/x";

// The text of a typed expression as the program gets it. Wine hands the
// command to cmd.exe with every quote escaped, so under Wine an argument
// cannot hold a blank: the expression goes without its blanks, which the
// language ignores.
std::string typed_text(const char* expression) {
#ifdef RAIZES_WINE
    std::string text;
    for (const char* c = expression; *c != '\0'; ++c)
        if (*c != ' ') text += *c;
    return text;
#else
    return expression;
#endif
}

bool typed_equation_runs() {
    static const bool typed = [] {
        const char* variant = std::getenv("RAIZES_E2E_EQUATION");
        return variant != nullptr && std::string_view(variant) == "typed";
    }();
    return typed;
}

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<std::string> typed_arguments = {"--f", typed_f, "--g", typed_g, "--df", typed_df};

#ifdef RAIZES_WINE
// The Windows program runs under Wine. Wine sets COMSPEC from its own
// registry over the Unix environment, so the program is started through
// Wine's cmd.exe, which sets COMSPEC and then runs it with the same standard
// handles, passing its exit status back. The arguments must hold no
// character that cmd.exe treats as special.
constexpr bool under_wine = true;
constexpr const char* wine_program = RAIZES_WINE;

// A path of this machine as Wine's drive Z: shows it.
std::string windows_path(const std::string& path) {
    std::string shown = "Z:" + path;
    for (char& c : shown)
        if (c == '/') c = '\\';
    return shown;
}

// What the runs of the Linux program find without COMSPEC: no command
// processor.
constexpr const char* missing_processor = "Z:\\nonexistent\\cmd.exe";

std::string wine_command(const RunOptions& options) {
    std::string line;
    const auto given = std::find_if(options.environment.begin(), options.environment.end(),
                                    [](const auto& variable) { return variable.first == "COMSPEC"; });
    if (given != options.environment.end()) line = "set COMSPEC=" + given->second + "&& ";
    else if (!options.keep_comspec) line = std::string("set COMSPEC=") + missing_processor + "&& ";
    line += windows_path(RAIZES_BINARY);
    if (typed_equation_runs())
        line += " --f=" + typed_text(typed_f) + " --g=" + typed_text(typed_g) + " --df=" + typed_text(typed_df);
    for (const auto& argument : options.arguments) line += " " + argument;
    return line;
}
#else
constexpr bool under_wine = false;
// What the runs find without a COMSPEC of their own: no command processor
// (the program in its build folder would find the viewer of the sources).
constexpr const char* missing_processor = "/nonexistent/cmd.exe";
#endif

std::vector<char*> argument_vector(const RunOptions& options, std::vector<std::string>& storage) {
    storage.clear();
#ifdef RAIZES_WINE
    // Only the program itself is a Windows program; another binary is one
    // of this machine's.
    if (options.binary.empty()) storage = {wine_program, "run", "cmd", "/c", wine_command(options)};
#endif
    if (storage.empty()) {
        storage.push_back(options.binary.empty() ? std::string(RAIZES_BINARY) : options.binary);
        if (options.binary.empty() && typed_equation_runs())
            storage.insert(storage.end(), typed_arguments.begin(), typed_arguments.end());
        for (const auto& a : options.arguments) storage.push_back(a);
    }
    std::vector<char*> argv;
    for (auto& s : storage) argv.push_back(s.data());
    argv.push_back(nullptr);
    return argv;
}

[[noreturn]] void exec_child(const RunOptions& options, const std::string& directory, char** argv) {
    if (::chdir(directory.c_str()) != 0) ::_exit(126);
    if (!options.keep_comspec) {
        if (under_wine) ::unsetenv("COMSPEC");  // the command line sets it (wine_command)
        else ::setenv("COMSPEC", missing_processor, 1);
    }
    for (const auto& name : options.unset) ::unsetenv(name.c_str());
    for (const auto& [name, value] : options.environment) ::setenv(name.c_str(), value.c_str(), 1);
    ::signal(SIGPIPE, SIG_DFL);
    if (options.file_size_limit >= 0) {
        const rlimit limit{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(125);
    }
    for (int fd : options.closed_descriptors) ::close(fd);
    ::execv(argv[0], argv);
    ::_exit(127);
}

int decode_status(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

void set_nonblocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Drains what is readable on `fd` into `sink`; false once it is closed.
bool drain(int fd, std::string& sink) {
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            sink.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        return false;  // end of file, or EIO on a terminal whose slave closed
    }
}

int wait_for(pid_t pid, Clock::time_point deadline, bool& timed_out) {
    int status = 0;
    for (;;) {
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return decode_status(status);
        if (Clock::now() > deadline) {
            timed_out = true;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return decode_status(status);
        }
        ::usleep(2000);
    }
}

// The directories this test process made, removed when it ends. A child
// forked by a death test leaves them to the process that made them.
struct TemporaryDirectories {
    pid_t owner = ::getpid();
    std::vector<std::string> paths;

    ~TemporaryDirectories() {
        if (::getpid() != owner) return;
        std::error_code ignored;
        for (const auto& path : paths) std::filesystem::remove_all(path, ignored);
    }
};

TemporaryDirectories& temporary_directories() {
    static TemporaryDirectories directories;
    return directories;
}

}  // namespace

std::string make_temp_dir() {
    char pattern[] = "/tmp/raizes-e2e-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) return {};
    ::chmod(made, 0777);
    temporary_directories().paths.push_back(made);
    return made;
}


std::string read_file(const std::string& path) {
    std::string bytes = test_files::read_file(path);
    if (!typed_equation_runs()) return bytes;
    for (const std::string& line : {"f(x) = " + typed_text(typed_f), "g(x) = " + typed_text(typed_g),
                                   "df(x) = " + typed_text(typed_df)})
        for (std::size_t at; (at = bytes.find(line + "\r\n")) != std::string::npos;) bytes.erase(at, line.size() + 2);
    return bytes;
}

bool file_exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string recording_processor(const std::string& directory) {
#ifdef RAIZES_WINE
    (void)directory;
    return windows_path(RAIZES_RECORDER);
#else
    std::string path = directory + "/fake-cmd";
    write_file(path,
               "#!/bin/sh\n"
               "printf '%s\\n' \"$@\" > viewer-args.txt\n"
               "cp -- \"${2#notepad }\" viewer-saw.txt 2>/dev/null\n"
               "exit 3\n");
    ::chmod(path.c_str(), 0755);
    return path;
#endif
}

std::string recorded_call(const std::string& processor, const std::string& command) {
    // The Windows processor notes its command line, the one text the system
    // passed; the Linux one its arguments, one a line.
    if (under_wine) return processor + " /c " + command;
    return "/c\n" + command + "\n";
}

std::string visible(const std::string& bytes) {
    std::string shown;
    for (unsigned char c : bytes) {
        if (c == '\r') shown += "\\r";
        else if (c == '\n') shown += "\\n\n";
        else if (c == '\t') shown += "\\t";
        else if (c < 32 || c >= 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        } else shown += static_cast<char>(c);
    }
    return shown;
}

namespace {

RunResult run_through_pipes(const RunOptions& options) {
    RunResult result;
    result.directory = options.directory.empty() ? make_temp_dir() : options.directory;
    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (::pipe(in_pipe) || ::pipe(out_pipe) || ::pipe(err_pipe)) return result;
    std::vector<std::string> storage;
    std::vector<char*> argv = argument_vector(options, storage);

    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in_pipe[0], 0);
        if (!options.input_path.empty()) {
            const int in = ::open(options.input_path.c_str(), O_RDONLY);
            if (in < 0 || ::dup2(in, 0) != 0) ::_exit(125);
            ::close(in);
        }
        ::dup2(out_pipe[1], 1);
        ::dup2(err_pipe[1], 2);
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) ::close(fd);
        exec_child(options, result.directory, argv.data());
    }
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    ::signal(SIGPIPE, SIG_IGN);
    bool out_open = true, err_open = true;
    if (options.output_reader_gone) {
        ::close(out_pipe[0]);
        out_pipe[0] = -1;
        out_open = false;
    }
    set_nonblocking(in_pipe[1]);
    set_nonblocking(out_pipe[0]);
    set_nonblocking(err_pipe[0]);

    const auto deadline = Clock::now() + std::chrono::seconds(options.timeout_seconds);
    std::size_t sent = 0;
    int in_fd = in_pipe[1];
    if (options.input.empty()) {
        ::close(in_fd);
        in_fd = -1;
    }
    while ((out_open || err_open) && Clock::now() < deadline) {
        pollfd fds[3];
        int count = 0;
        if (out_open) fds[count++] = {out_pipe[0], POLLIN, 0};
        if (err_open) fds[count++] = {err_pipe[0], POLLIN, 0};
        if (in_fd >= 0) fds[count++] = {in_fd, POLLOUT, 0};
        ::poll(fds, static_cast<nfds_t>(count), 50);
        if (out_open) out_open = drain(out_pipe[0], result.out);
        if (err_open) err_open = drain(err_pipe[0], result.err);
        if (in_fd >= 0) {
            ssize_t n = ::write(in_fd, options.input.data() + sent, options.input.size() - sent);
            if (n > 0) sent += static_cast<std::size_t>(n);
            if ((n < 0 && errno != EAGAIN) || sent == options.input.size()) {
                ::close(in_fd);
                in_fd = -1;
            }
        }
    }
    if (in_fd >= 0) ::close(in_fd);
    result.status = wait_for(pid, deadline, result.timed_out);
    if (out_pipe[0] >= 0) {
        drain(out_pipe[0], result.out);
        ::close(out_pipe[0]);
    }
    drain(err_pipe[0], result.err);
    ::close(err_pipe[0]);
    return result;
}

// Under load Wine now and then fails to create a process: cmd.exe then says
// so, or the run ends with nothing written at all, not even the program's
// first line (which every run through pipes writes). Or Wine's loader stops
// at the end of a process with "Inconsistency detected by ld.so", its own
// line on standard error, or its client finds no wine server ("the wine
// server failed to run"). The run is not the program's; a fault of its own
// would show again in the next run, which its report replaces.
bool wine_failed_the_run(const RunResult& result) {
    if (!under_wine || result.timed_out) return false;
    return (result.out.empty() && result.err.empty()) ||
           result.out.rfind("Application could not be started", 0) == 0 ||
           result.err.find("Can't recognize") != std::string::npos ||
           result.err.find("Inconsistency detected by ld.so") != std::string::npos ||
           result.err.find("the wine server failed to run") != std::string::npos;
}

}  // namespace

RunResult run_program(const RunOptions& options) {
    RunResult result = run_through_pipes(options);
    for (int retry = 0; retry < 3 && wine_failed_the_run(result); ++retry) {
        std::fprintf(stderr, "[ wine     ] Wine failed the run (status %d, output [%s], error [%s]); running it again\n",
                     result.status, visible(result.out.substr(0, 120)).c_str(),
                     visible(result.err.substr(0, 120)).c_str());
        RunOptions again = options;
        again.directory = result.directory;
        result = run_through_pipes(again);
    }
    return result;
}

RunResult run_on_terminal(const RunOptions& options) {
    RunResult result;
    result.directory = options.directory.empty() ? make_temp_dir() : options.directory;
    int master = -1, slave = -1;
    termios settings{};
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return result;
    ::tcgetattr(slave, &settings);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    settings.c_lflag |= ICANON;
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR);
    ::tcsetattr(slave, TCSANOW, &settings);
    int err_pipe[2];
    if (::pipe(err_pipe)) return result;
    std::vector<std::string> storage;
    std::vector<char*> argv = argument_vector(options, storage);

    pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
        ::dup2(slave, 0);
        ::dup2(slave, 1);
        ::dup2(err_pipe[1], 2);
        ::close(master);
        ::close(slave);
        ::close(err_pipe[0]);
        ::close(err_pipe[1]);
        exec_child(options, result.directory, argv.data());
    }
    // The parent keeps the terminal's other end, to read after the end what
    // the program left unread.
    ::close(err_pipe[1]);
    set_nonblocking(master);
    // The slave shares its open file with the program: it becomes
    // non-blocking only once the program has ended.
    auto take_unread = [&] {
        set_nonblocking(slave);
        drain(slave, result.unread_input);
        ::close(slave);
    };
    set_nonblocking(err_pipe[0]);

    const auto deadline = Clock::now() + std::chrono::seconds(options.timeout_seconds);
    std::vector<std::string> pieces = options.typed_lines;
    if (!options.input.empty()) pieces.insert(pieces.begin(), options.input);
    std::size_t next = 0;
    auto last_output = Clock::now();
    std::size_t shown_when_typed = 0;
    bool master_open = true, err_open = true;
    while ((master_open || err_open) && Clock::now() < deadline) {
        pollfd fds[2] = {{master, POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
        ::poll(fds, 2, 20);
        std::size_t before = result.out.size() + result.err.size();
        if (master_open) master_open = drain(master, result.out);
        if (err_open) err_open = drain(err_pipe[0], result.err);
        if (result.out.size() + result.err.size() != before) last_output = Clock::now();
        // Type the next line once the program waits for input: it has been
        // quiet for a while after showing something new (a prompt), or
        // quiet for long (a read that follows a read).
        const auto quiet = Clock::now() - last_output;
        const bool answered_prompt = result.out.size() + result.err.size() > shown_when_typed &&
                                     quiet > std::chrono::milliseconds(150);
        if (master_open && next < pieces.size() && (answered_prompt || quiet > std::chrono::milliseconds(1000))) {
            shown_when_typed = result.out.size() + result.err.size();
            result.shown_before_typing.push_back(result.out);
            const std::string& piece = pieces[next++];
            if (::write(master, piece.data(), piece.size()) < 0) break;
            last_output = Clock::now();
        }
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            drain(master, result.out);
            drain(err_pipe[0], result.err);
            result.status = decode_status(status);
            take_unread();
            ::close(master);
            ::close(err_pipe[0]);
            return result;
        }
    }
    result.status = wait_for(pid, deadline, result.timed_out);
    drain(master, result.out);
    drain(err_pipe[0], result.err);
    take_unread();
    ::close(master);
    ::close(err_pipe[0]);
    return result;
}

}  // namespace e2e
