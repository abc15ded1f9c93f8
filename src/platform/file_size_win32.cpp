#include "platform/file_size.h"

#include <windows.h>

namespace platform {
bool query_file_size(const tree_entry& entry, std::uint32_t& high, std::uint32_t& low) {
  WIN32_FIND_DATAA data;
  const HANDLE handle = FindFirstFileA(entry.path, &data);
  if (handle == INVALID_HANDLE_VALUE) return false;
  high = data.nFileSizeHigh;
  low = data.nFileSizeLow;
  FindClose(handle);
  return true;
}
}  // namespace platform
