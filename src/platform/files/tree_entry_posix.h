#pragma once
#include <fcntl.h>

#include "platform/files/tree_directory.h"

namespace platform {
// What the *at calls take for an entry: its directory's descriptor and its
// name there, or the working directory and the full path.
inline int at_base(const tree_entry& entry) {
  return entry.directory == nullptr ? AT_FDCWD : entry.directory_descriptor();
}
inline const char* at_name(const tree_entry& entry) { return entry.directory == nullptr ? entry.path : entry.name; }
}  // namespace platform
