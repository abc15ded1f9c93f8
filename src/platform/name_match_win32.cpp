#include "platform/name_match.h"

#include <windows.h>
#include <shlwapi.h>

namespace platform {
bool name_matches(const char* pattern, const char* name) { return PathMatchSpecA(name, pattern) != FALSE; }
}  // namespace platform
