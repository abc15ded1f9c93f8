#pragma once
#include <string>

namespace platform {
// What an open directory and an open file hold on this platform: a handle
// each, and a directory its full path too (the root's full form and the names
// as listed), which the recycle bin and the link check take.
struct directory_state {
  void* handle = nullptr;
  std::string base;
};
struct file_state {
  void* handle = nullptr;
};
}  // namespace platform
