#include "platform/files/path_syntax.h"

namespace platform {
const char path_separator = '/';
// A slash starts every absolute path here, so it cannot also start an option.
const char* const option_introducers = "-";
std::string preferred_form(const std::string& root) { return root; }

void append_name(std::string& path, const std::string& name) {
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path += name;
}
}  // namespace platform
