#pragma once
// Why a write or a cut of a file failed, from the system's error code.
#include <windows.h>

#include "platform/console.hpp"

namespace plat::win {

inline WriteFailure write_failure(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return WriteFailure::no_space;
        case ERROR_ACCESS_DENIED:
        case ERROR_LOCK_VIOLATION:
        case ERROR_INVALID_HANDLE: return WriteFailure::access_denied;
        default: return WriteFailure::other;
    }
}

}  // namespace plat::win
