#include "platform/windows/handles.hpp"

#include <array>

namespace plat::win {

namespace {

constexpr int first_slot = 3;

// Slots of the open handles beyond the standard ones; a null entry is free.
struct HandleTable {
    std::array<HANDLE, 256> slots{};
};

HandleTable g_table;

DWORD standard_handle_id(int handle) {
    switch (handle) {
        case 0: return STD_INPUT_HANDLE;
        case 1: return STD_OUTPUT_HANDLE;
        default: return STD_ERROR_HANDLE;
    }
}

bool in_table(int handle) {
    return handle >= first_slot && handle - first_slot < static_cast<int>(g_table.slots.size());
}

}  // namespace

HANDLE system_handle(int handle) {
    if (handle >= 0 && handle < first_slot) {
        HANDLE standard = ::GetStdHandle(standard_handle_id(handle));
        return standard == nullptr ? INVALID_HANDLE_VALUE : standard;
    }
    if (!in_table(handle)) return INVALID_HANDLE_VALUE;
    HANDLE entry = g_table.slots[static_cast<std::size_t>(handle - first_slot)];
    return entry == nullptr ? INVALID_HANDLE_VALUE : entry;
}

int add_handle(HANDLE handle) {
    for (std::size_t i = 0; i < g_table.slots.size(); ++i) {
        if (g_table.slots[i] != nullptr) continue;
        g_table.slots[i] = handle;
        return static_cast<int>(i) + first_slot;
    }
    return -1;
}

HANDLE remove_handle(int handle) {
    if (!in_table(handle)) return INVALID_HANDLE_VALUE;
    HANDLE& entry = g_table.slots[static_cast<std::size_t>(handle - first_slot)];
    HANDLE removed = entry == nullptr ? INVALID_HANDLE_VALUE : entry;
    entry = nullptr;
    return removed;
}

}  // namespace plat::win
