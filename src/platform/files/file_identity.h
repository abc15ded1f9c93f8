#pragma once
#include <cstdint>

namespace platform {
// What makes a file or directory the same one under any of its names: device
// and inode on POSIX; volume serial and file id on Windows, whose ids on ReFS
// take 128 bits. Where the platform cannot tell it cheaply, `known` is false.
struct file_identity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool known = false;
  std::uint64_t index_high = 0;  // the upper half of a 128-bit file id

  bool operator==(const file_identity& other) const {
    return known && other.known && volume == other.volume && index == other.index && index_high == other.index_high;
  }
  bool operator<(const file_identity& other) const {
    if (volume != other.volume) return volume < other.volume;
    return index != other.index ? index < other.index : index_high < other.index_high;
  }
};
}  // namespace platform
