#include "platform/files/file_status.h"

#include <windows.h>
#include <winternl.h>

#include "platform/files/handle_files_win32.h"
#include "platform/text/wide_text_win32.h"

namespace platform {
bool stat_entry(const tree_entry& entry, file_status& status) {
  // Asking for the attributes alone is never refused for another program's
  // share mode; a link is read through.
  HANDLE handle = entry.directory == nullptr
                      ? open_by_path(call_path(entry.path), FILE_READ_ATTRIBUTES, 0)
                      : open_in_directory(static_cast<HANDLE>(entry.directory_handle()), entry.name,
                                          FILE_READ_ATTRIBUTES, 0);
  if (handle == nullptr) return false;
  DWORD attributes = 0;
  const bool asked = status_of(handle, status, attributes);
  close_handle(handle);
  return asked;
}
}  // namespace platform
