#include "platform/file_size.h"

#include <sys/stat.h>

#include "platform/tree_entry_posix.h"

namespace platform {
bool query_file_size(const tree_entry& entry, std::uint32_t& high, std::uint32_t& low) {
  struct stat info {};
  if (fstatat(at_base(entry), at_name(entry), &info, 0) != 0) return false;
  // A FIFO, socket or device has no size of a file: an empty one is no empty file.
  if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) return false;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  high = static_cast<std::uint32_t>(size >> 32);
  low = static_cast<std::uint32_t>(size & 0xFFFFFFFFu);
  return true;
}
}  // namespace platform
