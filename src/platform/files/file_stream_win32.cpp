#include "platform/files/file_stream.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/files/handle_files_win32.h"
#include "platform/text/wide_text_win32.h"

namespace platform {
const char* const text_line_end = "\r\n";

namespace {
// Wine shows a Unix symbolic link to a file as that file: no reparse point,
// and FILE_FLAG_OPEN_REPARSE_POINT opens the target. Only the opened file's
// final path tells: it is the target's, not the folder's path and our name.
bool reached_through_a_link(HANDLE file, const std::wstring& name) {
  const std::size_t slash = name.find_last_of(L"\\/");
  const std::wstring folder_name = slash == std::wstring::npos ? L"." : name.substr(0, slash + 1);
  const std::wstring leaf = slash == std::wstring::npos ? name : name.substr(slash + 1);
  const HANDLE folder = CreateFileW(folder_name.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  std::wstring expected = final_path_of(folder);
  CloseHandle(folder);
  const std::wstring opened = final_path_of(file);
  // A system that cannot name the handles has shown its reparse points already.
  if (expected.empty() || opened.empty()) return false;
  if (expected.back() != L'\\') expected += L'\\';
  expected += leaf;
  return CompareStringOrdinal(opened.c_str(), static_cast<int>(opened.size()), expected.c_str(),
                              static_cast<int>(expected.size()), TRUE) != CSTR_EQUAL;
}

// Only a file of its own on a disk: no link, junction, directory or device.
bool is_plain_disk_file(HANDLE handle, const std::wstring& name) {
  if (GetFileType(handle) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return false;
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return false;
  return !reached_through_a_link(handle, name);
}
}  // namespace

std::FILE* open_log_for_append(const char* name) {
  const std::wstring wide_name = to_wide(name);
  // Full sharing, as _fsopen(name, "at", _SH_DENYNO) had; the link itself is
  // opened, never what it names.
  const HANDLE handle = CreateFileW(wide_name.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  // The checks leave the open's own last error (ERROR_ALREADY_EXISTS for a log
  // that was there) for whatever is reported next.
  const DWORD open_error = GetLastError();
  if (!is_plain_disk_file(handle, wide_name)) {
    CloseHandle(handle);
    return nullptr;
  }
  SetLastError(open_error);
  const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_APPEND | _O_TEXT);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, "at");
  if (stream == nullptr) _close(fd);
  return stream;
}
}  // namespace platform
