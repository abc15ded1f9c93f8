#include "platform/folder_dialog.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

namespace platform {
namespace {
int CALLBACK select_initial_folder(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0) {
    SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
  }
  return 0;
}
}  // namespace

int pick_folder(char* buffer, std::size_t size, const char* initial_folder, const char* title,
                unsigned flags, void* owner_window) {
  buffer[0] = 0;
  const HWND owner = static_cast<HWND>(owner_window);

  BROWSEINFOA info;
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = title;
  info.ulFlags = flags;
  info.lpfn = initial_folder != nullptr ? select_initial_folder : nullptr;
  info.lParam = reinterpret_cast<LPARAM>(initial_folder);
  info.iImage = 0;

  // The shell dialog expects COM on this thread.
  const HRESULT com = CoInitialize(nullptr);
  int result = 0;
  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  if (item == nullptr) {
    result = 3;
  } else {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) {
      MessageBoxA(owner, "SHGetMalloc Error", "Error", MB_OK);
      CoTaskMemFree(item);
      result = -1;
    } else {
      // The system writes up to MAX_PATH bytes whatever the caller's buffer holds.
      char chosen[MAX_PATH] = {};
      SHGetPathFromIDListA(item, chosen);
      allocator->Free(item);
      allocator->Release();
      // A path the buffer cannot hold whole is no answer: a cut path names another folder.
      const std::size_t length = std::strlen(chosen);
      if (length + 1 > size) {
        result = 3;
      } else {
        std::memcpy(buffer, chosen, length + 1);
      }
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
}  // namespace platform
