#pragma once

namespace platform {
// What an open directory and an open file hold on this platform: a descriptor each.
struct directory_state {
  int descriptor = -1;
};
struct file_state {
  int descriptor = -1;
};
}  // namespace platform
