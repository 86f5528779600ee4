#include "platform/installation.hpp"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

// Where the processor lies relative to the folder of the installed program;
// the build sets it from its installation folders.
#ifndef RAIZES_PROCESSOR_FROM_PROGRAM
#define RAIZES_PROCESSOR_FROM_PROGRAM "../libexec/raizes/cmd"
#endif

namespace plat {

namespace {

bool runnable_file(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::string> bundled_command_processor() {
    std::error_code error;
    // The running program's own file, every link resolved.
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.is_absolute()) return std::nullopt;
    std::string processor = (program.parent_path() / RAIZES_PROCESSOR_FROM_PROGRAM).lexically_normal().string();
    if (!runnable_file(processor)) return std::nullopt;
    return processor;
}

}  // namespace plat
