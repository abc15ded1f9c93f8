#pragma once
#include <fcntl.h>

#include "platform/files/tree_directory.h"

namespace platform {
// The descriptor of the entry's directory; -1 without one.
inline int directory_descriptor(const tree_entry& entry) {
  return entry.directory == nullptr ? -1 : entry.directory->state().descriptor;
}

// What the *at calls take for an entry: its directory's descriptor and its
// name there, or the working directory and the full path.
inline int at_base(const tree_entry& entry) { return entry.directory == nullptr ? AT_FDCWD : directory_descriptor(entry); }
inline const char* at_name(const tree_entry& entry) { return entry.directory == nullptr ? entry.path : entry.name; }
}  // namespace platform
