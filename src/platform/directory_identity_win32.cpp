#include "platform/directory_identity.h"

#include <windows.h>

namespace platform {
bool get_directory_identity(const std::string& path, directory_id& id) {
  // Callers classify failures by the last error of other calls; leave it as found.
  const DWORD saved_error = GetLastError();
  bool found = false;
  // BACKUP_SEMANTICS is what lets CreateFileA open a directory.
  const HANDLE handle = CreateFileA(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(handle, &info)) {
      id.volume = info.dwVolumeSerialNumber;
      id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
      found = true;
    }
    CloseHandle(handle);
  }
  SetLastError(saved_error);
  return found;
}
}  // namespace platform
