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

// Writes all `size` bytes, retrying partial writes; `written`, when given,
// receives how many of them the OS took. Safe in a signal handler.
WriteFailure write_all(int handle, const char* bytes, std::size_t size, std::size_t* written = nullptr);

// Closes a handle; safe in a signal handler.
void close_handle(int handle);

// The command line as the process received it (argument 0 is the program).
void set_arguments(int count, char** values);
int argument_count();
const char* argument(int index);

// Process set-up, before anything else runs: the standard handles are open
// (one that is closed is opened on the null device, for reading as standard
// input, for writing as standard output and error), so that no file of the
// run can take their place; a write to a closed pipe or beyond the file-size
// limit becomes a write error instead of ending the process.
void prepare_process();

// Drops what was typed ahead on a console and not yet read, so that it
// cannot reach whoever reads the console after the process. Does nothing
// for a handle that is not a console. Safe in a signal handler.
void discard_typed_ahead(int handle);

[[noreturn]] void exit_process(int status);

// A point between statements where a long run lets the host that runs it
// have its turn (a page answers its user there), when the program wrote
// since the last one. Nothing of the run-time's work is half-way. Where the
// system shares the processor by itself, nothing happens.
void host_turn() noexcept;

}  // namespace plat
