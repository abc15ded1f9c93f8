#pragma once
#include <fcntl.h>
#include <sys/types.h>

#include <string>
#include <unordered_map>

#include "platform/files/held_descriptor_posix.h"

namespace platform {
// How a trash's folders, and those on the way to them, are opened: enough to
// name a folder, to make and move things in it and to ask about it, without
// the right to read it, so a folder of mode 0711 on the way still serves. A
// link opened so is the link itself, and is refused as one.
constexpr int trash_folder_flags = O_PATH | O_CLOEXEC;

// Whether `error` tells of a process short of descriptors or memory for now,
// not of a trash that cannot be used.
bool short_of_room(int error);

// One trash directory of the desktop's layout, held by one descriptor of its
// folder, so that a file goes in from descriptors alone and no path is
// resolved again between the check of a file and its move. The folder, its
// "files" and its "info" are the user's own and writable by no one else, so
// only the user can change what the names below it lead to.
class trash_directory {
 public:
  trash_directory() = default;
  ~trash_directory();
  trash_directory(const trash_directory&) = delete;
  trash_directory& operator=(const trash_directory&) = delete;

  // The folder `name` of the open directory `parent` as a trash of `user`'s
  // on `device`, made (mode 0700) with its "files" and "info" where missing;
  // a link is followed only where `follow_link`. 0, or the errno of why it
  // cannot be used: ELOOP for a link, EACCES for a folder of another user or
  // one that others may write to, EXDEV for one on another device.
  int open(int parent, const char* name, uid_t user, dev_t device, bool follow_link);

  // The trash at the top directory `top` of a mount: `.Trash/$uid` where
  // `.Trash` is a sticky folder and no link and that folder can be used,
  // else `.Trash-$uid`. Info files then name their files relative to `top`,
  // which may be closed on the way: two descriptors at most are held at once.
  int open_at_top(held_descriptor& top, uid_t user, dev_t device);

  // Moves `name` of `directory` in under a free name, its info file written
  // first, never replacing anything there; `original` is its absolute path.
  // 0, or the errno of the step that failed, with nothing of it left behind.
  int take(int directory, const char* name, const std::string& original);

 private:
  int move_in(int directory, const char* name, const std::string& trashed_name);

  int folder_ = -1;
  std::string top_;  // the mount point an info file's Path is relative to; empty: absolute
  // Per name, the last number found taken, so that the next file of that
  // name starts its search for a free one after it.
  std::unordered_map<std::string, unsigned> taken_;
};
}  // namespace platform
