#include "platform/process/local_clock.h"

#include <ctime>

namespace platform {
local_time get_local_time() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  return local_time{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min};
}
}  // namespace platform
