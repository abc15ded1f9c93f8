#include "platform/files/file_status.h"

#include "platform/files/file_status_posix.h"
#include "platform/files/tree_entry_posix.h"

namespace platform {
file_status status_from(const struct stat& info) {
  file_status status;
  status.type = S_ISREG(info.st_mode)   ? file_status::kind::regular
                : S_ISDIR(info.st_mode) ? file_status::kind::directory
                                        : file_status::kind::other;
  status.size = static_cast<std::uint64_t>(info.st_size);
  status.last_write = static_cast<std::int64_t>(info.st_mtim.tv_sec);
  status.links = static_cast<std::uint32_t>(info.st_nlink);
  status.identity = file_identity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), true};
  return status;
}

namespace {
bool stat_at(const tree_entry& entry, file_status& status, int flags) {
  struct stat info {};
  if (fstatat(at_base(entry), at_name(entry), &info, flags) != 0) return false;
  status = status_from(info);
  return true;
}
}  // namespace

bool stat_entry(const tree_entry& entry, file_status& status) { return stat_at(entry, status, 0); }

bool stat_entry_itself(const tree_entry& entry, file_status& status) {
  return stat_at(entry, status, AT_SYMLINK_NOFOLLOW);
}
}  // namespace platform
