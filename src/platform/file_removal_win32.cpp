#include "platform/file_removal.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {
bool delete_file(const tree_entry& entry) { return DeleteFileA(entry.path) != 0; }

bool move_to_recycle_bin(const char* path_block) {
  SHFILEOPSTRUCTA op;
  ZeroMemory(&op, sizeof op);
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = path_block;
  op.pTo = nullptr;
  // ALLOWUNDO sends the file to the recycle bin; the rest keep every dialog away.
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
  op.fAnyOperationsAborted = FALSE;
  op.hNameMappings = nullptr;
  op.lpszProgressTitle = nullptr;
  // The shell tells why by its result and may leave the last error at
  // success; its result then stands in for the last error.
  SetLastError(ERROR_SUCCESS);
  const int result = SHFileOperationA(&op);
  if (result == 0) return true;
  if (GetLastError() == ERROR_SUCCESS) SetLastError(static_cast<DWORD>(result));
  return false;
}
}  // namespace platform
