#include "platform/process/local_clock.h"

#include <windows.h>

namespace platform {
local_time get_local_time() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  local_time result;
  result.year = now.wYear;
  result.month = now.wMonth;
  result.day = now.wDay;
  result.hour = now.wHour;
  result.minute = now.wMinute;
  return result;
}
}  // namespace platform
