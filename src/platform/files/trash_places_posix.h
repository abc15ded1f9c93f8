#pragma once
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/trash_directory_posix.h"

namespace platform {
// The one map of the trashes, for the move that puts a file in one and for
// the walk that must never enter one: the home trash ($XDG_DATA_HOME/Trash,
// by default ~/.local/share/Trash, which may be a link) and, at a mount's top,
// `.Trash` (one folder per user) and `.Trash-$uid`.

// Where the home trash is: `base`, a folder that must be there, and the
// folders below it, made where missing; the last is "Trash". `base` is empty
// without a home. The home is $HOME, or where the user database has it when
// $HOME names no absolute folder.
struct home_trash_place {
  std::string base;
  std::vector<std::string> folders;
  std::string path() const;
};
home_trash_place find_home_trash();

// The names of the trashes at a mount's top: the shared one, and `user`'s own.
extern const char* const shared_trash_name;
std::string own_trash_name(uid_t user);
// Whether a folder of this name is a mount's trash, of any user's. No build
// writes there, and one made at a bind mount's top can be told by nothing
// else once that mount is gone: it is never entered, wherever it stands.
bool is_trash_name(const std::string& name);

// The trashes files of a run go to, one per mount: the home trash for a file
// seen through the mount the home trash is on, else the trash at the top of
// the file's mount (a bind mount's top for a file below one). Each is found
// and opened at the first file of its mount, and kept, or why it cannot be
// used is, until the object goes.
class trash_places {
 public:
  // Moves the file of `device` named `name` of `base`, which stands in the
  // open directory `directory`, into its trash, as trash_directory::take
  // does: 0, or the errno of why not. Short of descriptors, the trashes of
  // other mounts are let go (found again at their next file) and the move is
  // tried once more.
  int take(int directory, int base, const char* name, dev_t device, const std::string& original);

 private:
  struct place {
    dev_t device;
    std::uint64_t mount;
    std::unique_ptr<trash_directory> trash;
    int error;
  };
  int trash_for(int directory, dev_t device, std::uint64_t mount, trash_directory*& trash);
  void look_for_home();
  int open_home(dev_t device, trash_directory& trash) const;

  std::vector<place> places_;
  bool home_looked_for_ = false;
  bool home_device_known_ = false;
  dev_t home_device_ = 0;
  std::uint64_t home_mount_ = 0;  // 0: not told by the system
  bool home_usable_ = false;
  home_trash_place home_;
};

// The places of the recycle bin session that lives, if one does.
trash_places* session_trash_places();
}  // namespace platform
