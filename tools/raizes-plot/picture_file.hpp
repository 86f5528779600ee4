#pragma once
// Where the picture goes. "-" is the standard output. A FIFO or a character
// device is written to as it is. A regular file, or a name not yet taken, is
// replaced as a whole: the picture is written to a new file of an
// unpredictable name in the same folder, created for this run alone, and
// renamed over it, so that a reader sees the old file or the new one and two
// runs at once each leave one whole picture. A symbolic link is followed to
// its target, which is replaced the same way. Anything else (a folder, a
// block device, a socket) is never replaced. On any failure nothing is left
// behind and the destination is as it was.
#include <optional>
#include <string>
#include <string_view>

namespace plot {

// Nothing when the picture was written; else why not.
std::optional<std::string> write_picture(const std::string& destination, std::string_view bytes);

}  // namespace plot
