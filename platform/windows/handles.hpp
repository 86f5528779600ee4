#pragma once
// The handles of the platform contracts are ints: 0, 1 and 2 stand for the
// standard handles, every other one is a slot of a small table of system
// handles.
#include <windows.h>

namespace plat::win {

// The system handle behind a contract handle; INVALID_HANDLE_VALUE for one
// that names nothing.
HANDLE system_handle(int handle);

// Gives a system handle a contract handle; -1 when the table is full.
int add_handle(HANDLE handle);

// Frees the slot of a contract handle and returns its system handle
// (nothing for the standard handles, whose slots are fixed).
HANDLE remove_handle(int handle);

}  // namespace plat::win
