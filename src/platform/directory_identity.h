#pragma once
#include <cstdint>
#include <string>

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

// False when the directory cannot be opened to ask.
bool get_directory_identity(const std::string& path, directory_id& id);
}  // namespace platform
