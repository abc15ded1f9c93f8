#include "platform/desktop/folder_dialog.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "platform/text/wide_text_win32.h"

namespace platform {
namespace {
int CALLBACK select_initial_folder(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0) {
    SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
  }
  return 0;
}

// The longest path the system has, in UTF-16 units with its terminating NUL.
constexpr DWORD longest_path = 32768;
}  // namespace

int pick_folder(char* buffer, std::size_t size, const char* initial_folder, const char* title,
                unsigned flags, void* owner_window) {
  buffer[0] = 0;
  const HWND owner = static_cast<HWND>(owner_window);
  // The title is one of the program's own texts: Shift_JIS on every system.
  const std::wstring title_text = code_page_to_wide(title, own_text_code_page);
  const std::wstring initial_text = initial_folder != nullptr ? to_wide(initial_folder) : std::wstring();

  BROWSEINFOW info;
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = title_text.c_str();
  info.ulFlags = flags;
  info.lpfn = initial_folder != nullptr ? select_initial_folder : nullptr;
  info.lParam = initial_folder != nullptr ? reinterpret_cast<LPARAM>(initial_text.c_str()) : 0;
  info.iImage = 0;

  // The shell dialog expects COM on this thread.
  const HRESULT com = CoInitialize(nullptr);
  int result = 0;
  LPITEMIDLIST item = SHBrowseForFolderW(&info);
  if (item == nullptr) {
    result = 3;
  } else {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) {
      MessageBoxW(owner, L"SHGetMalloc Error", L"Error", MB_OK);
      CoTaskMemFree(item);
      result = -1;
    } else {
      std::wstring chosen(longest_path, L'\0');
      if (!SHGetPathFromIDListEx(item, &chosen[0], longest_path, GPFIDL_DEFAULT)) chosen[0] = L'\0';
      allocator->Free(item);
      allocator->Release();
      const std::string path = from_wide(chosen.c_str(), std::wcslen(chosen.c_str()));
      // A path the buffer cannot hold whole is no answer: a cut path names another folder.
      if (path.size() + 1 > size) {
        result = 3;
      } else {
        std::memcpy(buffer, path.c_str(), path.size() + 1);
      }
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
}  // namespace platform
