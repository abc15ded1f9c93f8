#include "engine/recognition/output_age.h"

bool written_less_than_days_ago(std::int64_t last_write, std::int64_t now, std::int32_t days) {
  if (last_write > now) return true;
  if (last_write == now) return days > 0;
  // The distance between two 64-bit times fits in 64 unsigned bits, and so
  // does the largest day count in seconds.
  const std::uint64_t age = static_cast<std::uint64_t>(now) - static_cast<std::uint64_t>(last_write);
  constexpr std::uint64_t seconds_a_day = 24 * 60 * 60;
  return age < static_cast<std::uint64_t>(days) * seconds_a_day;
}
