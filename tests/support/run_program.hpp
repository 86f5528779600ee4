#pragma once
// Runs the real raizes binary for end-to-end tests.
#include <string>
#include <utility>
#include <vector>

#include "support/files.hpp"

namespace e2e {

struct RunOptions {
    std::string binary{};                   // the program to run (empty: the raizes of this build)
    std::string input{};                    // bytes fed to standard input
    std::string input_path{};               // or: a file opened as standard input (run_program)
    std::vector<int> closed_descriptors{};  // closed in the child before it starts
    long long file_size_limit = -1;         // RLIMIT_FSIZE of the child in bytes (-1: unchanged)
    bool output_reader_gone = false;        // run_program: nobody reads standard output
    std::vector<std::string> arguments{};     // command-line arguments
    std::string directory{};                // working directory (empty: a new temporary one)
    std::vector<std::pair<std::string, std::string>> environment{};  // added or replaced
    std::vector<std::string> unset{};       // variables removed from the environment
    // By default COMSPEC names a processor that is not there, so that none
    // is found; `unset` may remove it.
    bool keep_comspec = false;
    int timeout_seconds = 60;
    // For run_on_terminal: the input is typed in pieces, each piece written
    // once the program waits for input (after it printed everything so far).
    std::vector<std::string> typed_lines{};
};

struct RunResult {
    std::string out;     // standard output (the terminal's bytes for run_on_terminal)
    std::string err;     // standard error
    int status = -1;     // exit status, or 128 + signal number
    bool timed_out = false;
    std::string directory;  // where it ran
    // run_on_terminal: what the terminal had shown when each typed piece was
    // sent, that is, while the program waited for that input.
    std::vector<std::string> shown_before_typing;
    // run_on_terminal: what was typed but never read by the program, as the
    // next reader of the terminal would get it.
    std::string unread_input;
};

// Standard input, output and error are pipes.
RunResult run_program(const RunOptions& options);

// Standard input and output are one pseudo-terminal in raw output mode with
// echo off, so the bytes read back are exactly the program's own; standard
// error is a pipe.
RunResult run_on_terminal(const RunOptions& options);

// With RAIZES_E2E_EQUATION=typed in the environment every run of the
// program gets the built-in equation typed as expressions (--f, --g and
// --df before its own arguments), and a file read back loses the lines
// that name that equation: everything else must be what the built-in
// equation gives. tests/CMakeLists.txt runs the end-to-end suite so a
// second time.
bool typed_equation_runs();
extern const char* const typed_f;
extern const char* const typed_g;
extern const char* const typed_df;

std::string make_temp_dir();
// The whole file (test_files::read_file), without the typed equation's lines
// when typed_equation_runs().
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// A command processor to name in COMSPEC: it writes how it was called to
// viewer-args.txt in its working directory, copies the file named after
// "notepad " in its command to viewer-saw.txt, and exits with status 3.
// Returns the value for COMSPEC; `directory` may receive the processor.
std::string recording_processor(const std::string& directory);

// What viewer-args.txt holds after the program ran `command` through the
// recording processor named `processor`.
std::string recorded_call(const std::string& processor, const std::string& command);

// Shows bytes with CR, LF and control characters spelled out, for messages.
std::string visible(const std::string& bytes);

}  // namespace e2e
