#include "platform/files/file_removal.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/text/error_codes.h"
#include "platform/desktop/shell_result_win32.h"
#include "platform/text/wide_text_win32.h"

namespace platform {
bool delete_file(const tree_entry& entry, const file_identity&) {
  return DeleteFileW(call_path(entry.path).c_str()) != 0;
}

removal_result move_to_recycle_bin(const tree_entry&, const char* path_block, const file_identity&) {
  // The shell takes no "\\?\" path and no longer one: a file must never be
  // deleted for good in place of recycling, so such a path is not offered.
  std::wstring list = to_wide(path_block);
  if (list.size() >= MAX_PATH) return {removal_outcome::refused, error_code::filename_too_long};
  list.push_back(L'\0');  // with the string's own, the two that end the list

  SHFILEOPSTRUCTW op;
  ZeroMemory(&op, sizeof op);
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.pTo = nullptr;
  // ALLOWUNDO sends the file to the recycle bin; the rest keep every dialog away.
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
  op.fAnyOperationsAborted = FALSE;
  op.hNameMappings = nullptr;
  op.lpszProgressTitle = nullptr;
  return shell_removal_result(SHFileOperationW(&op));
}
}  // namespace platform
