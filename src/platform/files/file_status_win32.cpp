#include "platform/files/file_status.h"

#include <windows.h>
#include <winternl.h>

#include "platform/files/handle_files_win32.h"
#include "platform/text/wide_text_win32.h"

namespace platform {
namespace {
// Asking for the attributes alone is never refused for another program's
// share mode.
bool status_through(const tree_entry& entry, bool follow_link, file_status& status) {
  HANDLE handle = entry.directory == nullptr
                      ? open_by_path(call_path(entry.path), FILE_READ_ATTRIBUTES,
                                     follow_link ? 0 : FILE_FLAG_OPEN_REPARSE_POINT)
                      : open_in_directory(static_cast<HANDLE>(directory_handle(entry)), entry.name,
                                          FILE_READ_ATTRIBUTES, follow_link ? 0 : FILE_OPEN_REPARSE_POINT);
  if (handle == nullptr) return false;
  DWORD attributes = 0;
  const bool asked = status_of(handle, status, attributes);
  close_handle(handle);
  return asked;
}
}  // namespace

bool stat_entry(const tree_entry& entry, file_status& status) { return status_through(entry, true, status); }

bool stat_entry_itself(const tree_entry& entry, file_status& status) { return status_through(entry, false, status); }
}  // namespace platform
