#include "platform/folder_dialog.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

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
  // The caller has checked the size; the system writes at most MAX_PATH bytes.
  (void)size;
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
      SHGetPathFromIDListA(item, buffer);
      allocator->Free(item);
      allocator->Release();
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
}  // namespace platform
