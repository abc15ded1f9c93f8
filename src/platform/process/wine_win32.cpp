#include "platform/process/wine_win32.h"

#include <windows.h>

namespace platform {
bool running_under_wine() {
  static const bool wine = [] {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return wine;
}
}  // namespace platform
