#pragma once
#include <cstdint>

namespace platform {
// What makes a file or directory the same one under any of its names: device
// and inode on POSIX. Where the platform cannot tell it cheaply, `known` is false.
struct file_identity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool known = false;

  bool operator==(const file_identity& other) const {
    return known && other.known && volume == other.volume && index == other.index;
  }
  bool operator<(const file_identity& other) const {
    return volume != other.volume ? volume < other.volume : index < other.index;
  }
};
}  // namespace platform
