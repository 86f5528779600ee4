#pragma once
// Where the picture goes. "-" is the standard output; where the system names
// the open files of a process (/dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N), such a name is that open file, written to as it is. A
// FIFO or a character device is written to as it is. A regular file, or a
// name not yet taken, is replaced as a whole: the picture is written to a new
// file of an unpredictable name in the same folder, created for this run
// alone, and renamed over it, so that a reader sees the old file or the new
// one and two runs at once each leave one whole picture. Symbolic links are
// followed by the system, under its rules (one that it refuses to follow is
// refused), to the file they lead to, which is written the same way; a link
// to nothing gets its file. Anything else (a folder, a block device, a
// socket) is never replaced. On any failure nothing is left behind and the
// destination is as it was.
#include <optional>
#include <string>
#include <string_view>

namespace plot {

// The open file of this process that `name` stands for, if it names one.
std::optional<int> descriptor_named(std::string_view name);

// Nothing when the picture was written; else why not.
std::optional<std::string> write_picture(const std::string& destination, std::string_view bytes);

}  // namespace plot
