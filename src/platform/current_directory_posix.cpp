#include "platform/current_directory.h"

#include <unistd.h>

namespace platform {
std::string get_current_directory() {
  char buffer[520] = {};
  if (getcwd(buffer, sizeof buffer) == nullptr) return std::string();
  return std::string(buffer);
}
}  // namespace platform
