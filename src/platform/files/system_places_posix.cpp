#include "platform/files/system_places.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/files/file_status_posix.h"
#include "platform/files/tree_entry_posix.h"

namespace platform {
namespace {
std::string home_trash_path() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home != nullptr && data_home[0] == '/') return std::string(data_home) + "/Trash";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/share/Trash";
  return std::string();
}

bool identity_at(int base, const char* name, file_identity& identity) {
  struct stat info {};
  if (fstatat(base, name, &info, 0) != 0 || !S_ISDIR(info.st_mode)) return false;
  identity = status_from(info).identity;
  return true;
}
}  // namespace

system_places::system_places() {
  // Other clients let the home trash be a link, so it is known by what it leads to.
  const std::string trash = home_trash_path();
  if (!trash.empty()) identity_at(AT_FDCWD, trash.c_str(), home_trash_);
}

// A mount's own trash is ".Trash" (holding one folder per user) or
// ".Trash-UID", of any user's.
bool system_places::at_volume_top(const std::string& name) const {
  if (name == ".Trash") return true;
  const std::string prefix = ".Trash-";
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  return name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

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
