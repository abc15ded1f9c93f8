#include "platform/process/current_directory.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform {
std::string get_current_directory() {
  // As long as the system makes it: grown while getcwd says it does not fit.
  std::vector<char> buffer(520);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}
}  // namespace platform
