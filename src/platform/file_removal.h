#pragma once

#include "platform/tree_directory.h"

namespace platform {
// Deletes one file for good (DeleteFileA); a link goes, not what it names.
// A read-only file is refused. On failure the last-error value tells why.
bool delete_file(const tree_entry& entry);

// Moves one file to the user's recycle bin, from where it can be restored,
// without any dialog. `path_block` is the path followed by two zero bytes.
// On failure the last-error value tells why.
bool move_to_recycle_bin(const char* path_block);
}  // namespace platform
