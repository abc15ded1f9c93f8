#include "platform/files/system_places.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/file_status_posix.h"
#include "platform/files/trash_places_posix.h"
#include "platform/files/tree_entry_posix.h"

namespace platform {
namespace {
bool identity_at(int base, const char* name, file_identity& identity) {
  struct stat info {};
  if (fstatat(base, name, &info, 0) != 0 || !S_ISDIR(info.st_mode)) return false;
  identity = status_from(info).identity;
  return true;
}
}  // namespace

system_places::system_places() {
  // Found where a move to the trash finds it. Other clients let the home
  // trash be a link, so it is known by what it leads to.
  const home_trash_place home = find_home_trash();
  if (!home.base.empty()) identity_at(AT_FDCWD, home.path().c_str(), home_trash_);
}

// A mount's trash, of any user's, at its top or at a bind mount's top.
bool system_places::anywhere(const std::string& name) const { return is_trash_name(name); }

bool system_places::at_volume_top(const std::string& name) const { return is_trash_name(name); }

bool system_places::is_place(const file_identity& identity) const { return identity == home_trash_; }

bool is_volume_top(const tree_directory& directory, const tree_directory* parent) {
  const tree_entry self{&directory, ".", ""};
  file_identity here, above;
  if (!identity_at(at_base(self), ".", here)) return false;
  // A tree's root is compared with what its ".." is now; any other directory
  // with the one it was opened from.
  const tree_entry up = parent != nullptr ? tree_entry{parent, ".", ""} : tree_entry{&directory, "..", ""};
  if (!identity_at(at_base(up), up.name, above)) return false;
  return here.volume != above.volume || here == above;
}
}  // namespace platform
