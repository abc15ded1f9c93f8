#include "platform/process/console.h"

#include <windows.h>

#include <cstdio>

namespace platform {
void attach_parent_console() {
  // A redirected standard output (a file, a pipe) is where the text belongs.
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output != nullptr && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::FILE* reopened = std::freopen("CONOUT$", "w", stdout);
  (void)reopened;
}
}  // namespace platform
