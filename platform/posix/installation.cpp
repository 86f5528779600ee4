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

// The viewer of the sources for a program that lies in the build's own
// folder (RAIZES_BUILD_FOLDER, RAIZES_BUILD_PROCESSOR: both set by the
// build); nothing for a copy anywhere else, an installed one included.
std::optional<std::string> build_processor(const std::filesystem::path& folder) {
#if defined(RAIZES_BUILD_FOLDER) && defined(RAIZES_BUILD_PROCESSOR)
    std::error_code error;
    if (std::filesystem::equivalent(folder, RAIZES_BUILD_FOLDER, error) && !error) return RAIZES_BUILD_PROCESSOR;
#else
    (void)folder;
#endif
    return std::nullopt;
}

}  // namespace

std::optional<std::string> bundled_command_processor() {
    std::error_code error;
    // The running program's own file, every link resolved.
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.is_absolute()) return std::nullopt;
    const std::filesystem::path folder = program.parent_path();
    std::string processor = (folder / RAIZES_PROCESSOR_FROM_PROGRAM).lexically_normal().string();
    if (runnable_file(processor)) return processor;
    const std::optional<std::string> from_sources = build_processor(folder);
    if (from_sources && runnable_file(*from_sources)) return from_sources;
    return std::nullopt;
}

}  // namespace plat
