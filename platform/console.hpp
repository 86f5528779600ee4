#pragma once
// Standard handles, the command line and the end of the process.
#include <cstddef>

namespace plat {

constexpr int standard_input = 0;
constexpr int standard_output = 1;
constexpr int standard_error = 2;

// Why a write did not complete.
enum class WriteFailure { none, no_space, access_denied, other };

bool is_console(int handle);

// Reads what one read of the handle delivers (a typed line on a terminal),
// at most `size` bytes. Returns the count, 0 at end of file, -1 on failure.
long read_some(int handle, char* buffer, std::size_t size);

// Writes all `size` bytes, retrying partial writes. Safe in a signal handler.
WriteFailure write_all(int handle, const char* bytes, std::size_t size);

// Closes a handle; safe in a signal handler.
void close_handle(int handle);

// The command line as the process received it (argument 0 is the program).
void set_arguments(int count, char** values);
int argument_count();
const char* argument(int index);

// Process set-up before the run-time starts: a write to a closed pipe
// becomes a write error instead of ending the process.
void prepare_process();

[[noreturn]] void exit_process(int status);

}  // namespace plat
