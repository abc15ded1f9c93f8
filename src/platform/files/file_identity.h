#pragma once
#include <cstdint>

namespace platform {
// What makes a file or directory the same one under any of its names: device
// and inode on POSIX; volume serial and file id on Windows, whose ids on ReFS
// take 128 bits. Where the platform cannot tell it cheaply, `known` is false.
// Where a volume's ids may be reused or shared (FAT, some servers), a file
// is told by its id, size and last write together, a directory not at all.
struct file_identity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool known = false;
  std::uint64_t index_high = 0;  // the upper half of a 128-bit file id
  std::uint64_t size = 0;        // with an id that is not to be trusted alone
  std::int64_t written = 0;

  bool operator==(const file_identity& other) const {
    return known && other.known && volume == other.volume && index == other.index &&
           index_high == other.index_high && size == other.size && written == other.written;
  }
  bool operator<(const file_identity& other) const {
    if (volume != other.volume) return volume < other.volume;
    if (index != other.index) return index < other.index;
    if (index_high != other.index_high) return index_high < other.index_high;
    return size != other.size ? size < other.size : written < other.written;
  }
};
}  // namespace platform
