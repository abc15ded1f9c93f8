#pragma once
#include <cstddef>

namespace platform {
constexpr unsigned browse_edit_box = 0x10;  // BIF_EDITBOX

// Room for any folder the picker can return: the longest path Windows has
// (32767 UTF-16 units) at three UTF-8 bytes a unit at most, and a NUL.
constexpr std::size_t picked_folder_size = 3 * 32767 + 1;

// Asks the user for a folder. `buffer` (at least 260 bytes) receives its path
// exactly as the system gives it, in UTF-8 on Windows too. Returns 0 for a folder, 3 for none (cancelled),
// -1 when the dialog could not be run.
int pick_folder(char* buffer, std::size_t size, const char* initial_folder, const char* title,
                unsigned flags, void* owner_window);
}  // namespace platform
