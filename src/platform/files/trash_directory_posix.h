#pragma once
#include <sys/types.h>

#include <string>

namespace platform {
// One trash directory of the desktop's layout, held by its "files" and "info"
// folders, so that a file goes in from descriptors alone and no path is
// resolved again between the check of a file and its move.
class trash_directory {
 public:
  trash_directory() = default;
  ~trash_directory();
  trash_directory(const trash_directory&) = delete;
  trash_directory& operator=(const trash_directory&) = delete;

  // Opens the trash for files of `device` in the open directory `directory`:
  // the home trash when it is on that device, else the one at the top of the
  // directory's mount. Folders it lacks are made. 0, or the errno of why there
  // is none.
  int open_for(int directory, dev_t device);

  // Moves `name` of `directory` in under a free name, its info file written
  // first, never replacing anything there; `original` is its absolute path.
  // 0, or the errno of the step that failed, with nothing of it left behind.
  int take(int directory, const char* name, const std::string& original);

 private:
  int open_home(dev_t device, bool& on_device);
  int open_top(int directory, dev_t device);
  int open_parts(int trash);
  int move_in(int directory, const char* name, const std::string& trashed_name);

  int files_ = -1;
  int info_ = -1;
  std::string top_;  // the mount point an info file's Path is relative to; empty: absolute
};
}  // namespace platform
