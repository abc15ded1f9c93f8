#pragma once
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/files/trash_directory_posix.h"

namespace platform {
// The trashes files of a run go to, one per device: the home trash
// ($XDG_DATA_HOME/Trash, by default ~/.local/share/Trash, which may be a link)
// for a file on its device, else the trash at the top of the file's mount.
// Each is found and opened at the first file of its device, and kept, or why
// it cannot be used is, until the object goes.
class trash_places {
 public:
  // The trash for a file of `device` in the open directory `directory`: 0
  // with `trash` set, or the errno of why there is none.
  int trash_for(int directory, dev_t device, trash_directory*& trash);

 private:
  struct place {
    dev_t device;
    std::unique_ptr<trash_directory> trash;
    int error;
  };
  void look_for_home();
  int open_home(dev_t device, trash_directory& trash) const;

  std::vector<place> places_;
  bool home_looked_for_ = false;
  bool home_device_known_ = false;
  dev_t home_device_ = 0;
  bool home_usable_ = false;
  std::string home_base_;                 // a folder that must be there
  std::vector<std::string> home_folders_; // below it, made where missing; the last is "Trash"
};

// The places of the recycle bin session that lives, if one does.
trash_places* session_trash_places();
}  // namespace platform
