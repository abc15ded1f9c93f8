#include "platform/files/trash_places_posix.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/files/held_descriptor_posix.h"

namespace platform {
namespace {
constexpr int folder_flags = O_PATH | O_DIRECTORY | O_CLOEXEC;

std::string without_trailing_slashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string parent_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// The user's home: $HOME, or where the user database has it; empty when
// neither names an absolute folder.
std::string home_folder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* user = getpwuid(getuid());
    home = user == nullptr ? nullptr : user->pw_dir;
  }
  return home == nullptr || home[0] != '/' ? std::string() : without_trailing_slashes(home);
}

// The top directory of the mount holding `directory` on `device`, climbed to
// by ".." alone and held with handles that need no read permission; `top` is
// left empty when `directory` is that top itself.
int climb_to_top(int directory, dev_t device, held_descriptor& top) {
  struct stat here {};
  if (fstat(directory, &here) != 0) return errno;
  if (here.st_dev != device) return EXDEV;
  for (;;) {
    held_descriptor parent(openat(top.get() >= 0 ? top.get() : directory, "..", folder_flags));
    struct stat above {};
    if (parent.get() < 0 || fstat(parent.get(), &above) != 0) return errno;
    if (above.st_dev != device || above.st_ino == here.st_ino) return 0;
    top.reset(parent.release());
    here = above;
  }
}
}  // namespace

int trash_places::trash_for(int directory, dev_t device, trash_directory*& trash) {
  for (const place& known : places_)
    if (known.device == device) {
      trash = known.trash.get();
      return known.error;
    }
  if (!home_looked_for_) look_for_home();
  auto opened = std::make_unique<trash_directory>();
  int error = 0;
  if (home_device_known_ && home_device_ == device) {
    error = open_home(device, *opened);
  } else {
    held_descriptor top;
    error = climb_to_top(directory, device, top);
    if (error == 0) error = opened->open_at_top(top.get() >= 0 ? top.get() : directory, getuid(), device);
  }
  // Short of descriptors or memory for now: the next file tries again.
  if (error == EMFILE || error == ENFILE || error == ENOMEM) return error;
  if (error != 0) opened.reset();
  trash = opened.get();
  places_.push_back(place{device, std::move(opened), error});
  return error;
}

void trash_places::look_for_home() {
  home_looked_for_ = true;
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home != nullptr && data_home[0] == '/') {  // a relative one counts as unset
    const std::string folder = without_trailing_slashes(data_home);
    home_base_ = parent_of(folder);
    if (folder != "/") home_folders_.push_back(folder.substr(folder.rfind('/') + 1));
  } else {
    home_base_ = home_folder();
    if (home_base_.empty()) return;  // no home: every file goes to its mount's trash
    home_folders_ = {".local", "share"};
  }
  home_folders_.push_back("Trash");
  // The device the home trash is on, or is to be made on: that of the
  // nearest folder of its path that is there. Files on it go nowhere else.
  std::string path = home_base_;
  for (const std::string& folder : home_folders_) path += (path == "/" ? "" : "/") + folder;
  struct stat status {};
  while (stat(path.c_str(), &status) != 0) {
    if (path == "/") return;
    path = parent_of(path);
  }
  home_device_known_ = true;
  home_device_ = status.st_dev;
  // Without the home itself there is no home trash; nothing is made in its place.
  home_usable_ = path.size() >= home_base_.size();
}

int trash_places::open_home(dev_t device, trash_directory& trash) const {
  if (!home_usable_) return ENOENT;
  held_descriptor at(open(home_base_.c_str(), folder_flags));
  if (at.get() < 0) return errno;
  for (std::size_t k = 0; k + 1 < home_folders_.size(); ++k) {
    const char* name = home_folders_[k].c_str();
    if (mkdirat(at.get(), name, 0700) != 0 && errno != EEXIST) return errno;
    held_descriptor next(openat(at.get(), name, folder_flags));
    if (next.get() < 0) return errno;
    at.reset(next.release());
  }
  // The home trash may be a link to a folder elsewhere, as other clients allow.
  return trash.open(at.get(), home_folders_.back().c_str(), getuid(), device, true);
}
}  // namespace platform
