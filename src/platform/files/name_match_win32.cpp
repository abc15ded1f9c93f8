#include "platform/files/name_match.h"

#include <windows.h>
#include <shlwapi.h>

#include "platform/text/wide_text_win32.h"

namespace platform {
bool name_matches(const char* pattern, const char* name) {
  return PathMatchSpecW(to_wide(name).c_str(), to_wide(pattern).c_str()) != FALSE;
}
}  // namespace platform
