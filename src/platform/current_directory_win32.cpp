#include "platform/current_directory.h"

#include <windows.h>

namespace platform {
std::string get_current_directory() {
  char buf[520] = {};
  // When the directory does not fit the buffer stays untouched, giving "".
  GetCurrentDirectoryA(sizeof buf, buf);
  return std::string(buf);
}
}  // namespace platform
