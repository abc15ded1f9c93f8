#include "platform/file_removal.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/error_codes.h"

namespace platform {
bool delete_file(const tree_entry& entry, const file_identity&) { return DeleteFileA(entry.path) != 0; }

removal_result move_to_recycle_bin(const tree_entry&, const char* path_block, const file_identity&) {
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
  const int result = SHFileOperationA(&op);
  if (result == 0) return {removal_outcome::removed, error_code::success};
  const auto code = static_cast<std::uint32_t>(result);
  if (code == error_code::file_not_found || code == error_code::path_not_found) return {removal_outcome::gone, code};
  return {removal_outcome::refused, code};
}
}  // namespace platform
