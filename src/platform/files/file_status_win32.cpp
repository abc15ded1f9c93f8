#include "platform/files/file_status.h"

#include <windows.h>

#include "platform/text/wide_text_win32.h"

namespace platform {
namespace {
// FILETIME counts 100 ns steps from 1601; seconds from 1970 follow.
std::int64_t unix_seconds(const FILETIME& time) {
  const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10000000u) - 11644473600LL;
}
}  // namespace

bool stat_entry(const tree_entry& entry, file_status& status) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(call_path(entry.path).c_str(), GetFileExInfoStandard, &data)) return false;
  status.type = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? file_status::kind::directory
                                                                          : file_status::kind::regular;
  status.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  status.last_write = unix_seconds(data.ftLastWriteTime);
  // The identity would cost an open of its own: the removals go by path anyway.
  status.identity = file_identity();
  return true;
}
// The attributes of a link are its own: the call does not follow it.
bool stat_entry_itself(const tree_entry& entry, file_status& status) { return stat_entry(entry, status); }
}  // namespace platform
