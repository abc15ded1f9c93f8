#pragma once

namespace platform {
struct local_time {
  int year;    // four digits
  int month;   // 1 to 12
  int day;     // 1 to 31
  int hour;    // 0 to 23
  int minute;  // 0 to 59
};

// The machine's local wall-clock time.
local_time get_local_time();
}  // namespace platform
