#include "platform/files/name_match.h"

#include <fnmatch.h>

namespace platform {
bool name_matches(const char* pattern, const char* name) {
  // A backslash is an ordinary byte of a name here, and a leading dot needs
  // no explicit match, as on Windows.
  return fnmatch(pattern, name, FNM_NOESCAPE | FNM_CASEFOLD) == 0;
}
}  // namespace platform
