#include "platform/process/console.h"

#include <windows.h>

#include <cstdio>

namespace platform {
namespace {
bool has_standard_output() {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  return output != nullptr && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN;
}
}  // namespace

void attach_parent_console() {
  // A redirected standard output (a file, a pipe) is where the text belongs.
  if (has_standard_output()) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::FILE* reopened = std::freopen("CONOUT$", "w", stdout);
  (void)reopened;
}

bool output_is_terminal() { return false; }

bool errors_are_terminal() { return false; }

unsigned error_terminal_columns() { return 0; }

bool output_goes_nowhere() {
  if (has_standard_output() || GetConsoleWindow() != nullptr) return false;
  // Typed in a console window: the output goes where it always went.
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return true;
  FreeConsole();
  return false;
}
}  // namespace platform
