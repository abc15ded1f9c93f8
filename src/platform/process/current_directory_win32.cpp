#include "platform/process/current_directory.h"

#include <windows.h>

#include "platform/text/wide_text_win32.h"

namespace platform {
std::string get_current_directory() {
  std::wstring directory;
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  // Asked again while another thread's change makes it longer.
  while (size > directory.size()) {
    directory.assign(size, L'\0');
    size = GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), &directory[0]);
  }
  if (size == 0) return std::string();
  directory.resize(size);
  return from_wide(directory);
}
}  // namespace platform
