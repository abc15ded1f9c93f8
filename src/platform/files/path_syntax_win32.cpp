#include "platform/files/path_syntax.h"

namespace platform {
const char path_separator = '\\';
const char* const option_introducers = "-/";
std::string preferred_form(const std::string& root) {
  std::string preferred = root;
  for (char& c : preferred)
    if (c == '/') c = '\\';
  return preferred;
}

// No separator after one, nor after a drive's colon: "C:sub" is relative to
// that drive's working directory, and stays so.
void append_name(std::string& path, const std::string& name) {
  const char last = path.empty() ? '\0' : path.back();
  if (!path.empty() && last != '\\' && last != '/' && last != ':') path.push_back('\\');
  path += name;
}
}  // namespace platform
