#include "diag/time_stamp.h"

#include <cstdio>

#include "platform/process/local_clock.h"

void format_time_stamp(const platform::local_time& time, char* buffer, std::size_t size) {
  std::snprintf(buffer, size, "%d:%d %d/%d/%d", time.hour, time.minute, time.year, time.month, time.day);
}

void local_time_text(char* buffer, std::size_t size) { format_time_stamp(platform::get_local_time(), buffer, size); }
