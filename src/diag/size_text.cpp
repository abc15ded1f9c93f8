#include "diag/size_text.h"

std::string size_text(std::uint64_t bytes) {
  static const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  std::size_t unit = 0;
  std::uint64_t scale = 1024;  // bytes in one units[unit]
  while (unit + 1 < sizeof units / sizeof units[0] && bytes / scale >= 1024) {
    scale *= 1024;
    ++unit;
  }
  // The remainder is below 2^60, so ten times it stays below 2^64.
  const std::uint64_t tenths = bytes % scale * 10 / scale;
  return std::to_string(bytes / scale) + '.' + static_cast<char>('0' + tenths) + ' ' + units[unit];
}
