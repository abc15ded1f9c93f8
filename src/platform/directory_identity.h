#pragma once
#include <cstdint>

namespace platform {
// What makes a directory the same directory under any of its names:
// device and inode on POSIX, volume serial number and file index on Windows.
struct directory_id {
  std::uint64_t volume;
  std::uint64_t index;
  bool operator<(const directory_id& other) const {
    return volume != other.volume ? volume < other.volume : index < other.index;
  }
};
}  // namespace platform
