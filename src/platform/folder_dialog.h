#pragma once
#include <cstddef>

namespace platform {
constexpr unsigned browse_edit_box = 0x10;  // BIF_EDITBOX

// Asks the user for a folder. `buffer` (at least 260 bytes) receives its path
// exactly as the system gives it. Returns 0 for a folder, 3 for none (cancelled),
// -1 when the dialog could not be run.
int pick_folder(char* buffer, std::size_t size, const char* initial_folder, const char* title,
                unsigned flags, void* owner_window);
}  // namespace platform
