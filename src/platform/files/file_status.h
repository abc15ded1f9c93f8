#pragma once
#include <cstdint>

#include "platform/files/file_identity.h"
#include "platform/files/tree_directory.h"

namespace platform {
// What a file is, asked without opening it.
struct file_status {
  enum class kind { regular, directory, other };  // other: a FIFO, socket or device
  kind type = kind::other;
  std::uint64_t size = 0;
  std::int64_t last_write = 0;  // seconds since 1970-01-01 UTC
  std::uint32_t links = 1;      // its names: its bytes are freed with the last
  file_identity identity;
};

// The status of the entry, a link read through. False, with the last error
// set, when it cannot be asked (file_not_found or path_not_found when it is gone).
bool stat_entry(const tree_entry& entry, file_status& status);
// The same for the entry itself: a link's own status, not its target's.
bool stat_entry_itself(const tree_entry& entry, file_status& status);
}  // namespace platform
