#include "platform/files/trash_places_posix.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/files/held_descriptor_posix.h"

namespace platform {
namespace {
std::string without_trailing_slashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string parent_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// Where the user database has this user's home; empty where it has none.
std::string home_of_user() {
  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 4096);
  passwd entry{};
  passwd* found = nullptr;
  int error = 0;
  while ((error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
         buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  return error == 0 && found != nullptr && found->pw_dir != nullptr ? std::string(found->pw_dir) : std::string();
}

// The user's home: $HOME, or where the user database has it; empty when
// neither names an absolute folder.
std::string home_folder() {
  const char* variable = std::getenv("HOME");
  const std::string home = variable != nullptr && variable[0] == '/' ? std::string(variable) : home_of_user();
  return home.empty() || home[0] != '/' ? std::string() : without_trailing_slashes(home);
}

// Where an open folder, or a name in it, stands: its device and inode, and
// the mount it is seen through (0 where the system does not tell). A bind
// mount shows the device of what it binds: only the mount tells a rename
// across it, which the system refuses, from one within it.
struct standing {
  dev_t device = 0;
  ino_t inode = 0;
  std::uint64_t mount = 0;
};

int standing_at(int base, const char* name, int flags, standing& where) {
  struct statx info {};
  if (statx(base, name, flags, STATX_INO | STATX_MNT_ID, &info) == 0) {
    where.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    where.inode = info.stx_ino;
    where.mount = (info.stx_mask & STATX_MNT_ID) != 0 ? info.stx_mnt_id : 0;
    return 0;
  }
  if (errno != ENOSYS) return errno;
  struct stat status {};
  if (fstatat(base, name, &status, flags) != 0) return errno;
  where = standing{status.st_dev, status.st_ino, 0};
  return 0;
}

bool same_mount(std::uint64_t one, std::uint64_t other) { return one == 0 || other == 0 || one == other; }

// The top directory of the mount holding `directory` on `device`, climbed to
// by ".." alone and held with handles that need no read permission; `top` is
// left empty when `directory` is that top itself.
int climb_to_top(int directory, dev_t device, held_descriptor& top) {
  standing here;
  if (const int error = standing_at(directory, "", AT_EMPTY_PATH, here)) return error;
  if (here.device != device) return EXDEV;
  for (;;) {
    held_descriptor parent(openat(top.get() >= 0 ? top.get() : directory, "..", trash_folder_flags));
    standing above;
    if (parent.get() < 0) return errno;
    if (const int error = standing_at(parent.get(), "", AT_EMPTY_PATH, above)) return error;
    if (above.device != device || !same_mount(above.mount, here.mount) || above.inode == here.inode) return 0;
    top.reset(parent.release());
    here = above;
  }
}
}  // namespace

std::string home_trash_place::path() const {
  std::string path = base;
  for (const std::string& folder : folders) path += (path == "/" ? "" : "/") + folder;
  return path;
}

home_trash_place find_home_trash() {
  home_trash_place place;
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home != nullptr && data_home[0] == '/') {  // a relative one counts as unset
    const std::string folder = without_trailing_slashes(data_home);
    place.base = parent_of(folder);
    if (folder != "/") place.folders.push_back(folder.substr(folder.rfind('/') + 1));
  } else {
    place.base = home_folder();
    if (place.base.empty()) return place;
    place.folders = {".local", "share"};
  }
  place.folders.push_back("Trash");
  return place;
}

const char* const shared_trash_name = ".Trash";

std::string own_trash_name(uid_t user) { return std::string(shared_trash_name) + "-" + std::to_string(user); }

bool is_trash_name(const std::string& name) {
  const std::string shared = shared_trash_name, prefix = shared + "-";
  if (name == shared) return true;
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  return name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

int trash_places::take(int directory, int base, const char* name, dev_t device, const std::string& original) {
  standing folder;
  const std::uint64_t mount = standing_at(directory, "", AT_EMPTY_PATH, folder) == 0 ? folder.mount : 0;
  int error = 0;
  for (int tries = 0; tries < 2; ++tries) {
    trash_directory* trash = nullptr;
    error = trash_for(directory, device, mount, trash);
    if (error == 0) error = trash->take(base, name, original);
    if (!short_of_room(error)) return error;
    // Under a tight limit one trash at a time is held.
    for (std::size_t k = places_.size(); k-- > 0;)
      if (places_[k].error == 0 && !(places_[k].device == device && places_[k].mount == mount))
        places_.erase(places_.begin() + static_cast<std::ptrdiff_t>(k));
  }
  return error;
}

int trash_places::trash_for(int directory, dev_t device, std::uint64_t mount, trash_directory*& trash) {
  for (const place& known : places_)
    if (known.device == device && known.mount == mount) {
      trash = known.trash.get();
      return known.error;
    }
  if (!home_looked_for_) look_for_home();
  auto opened = std::make_unique<trash_directory>();
  int error = 0;
  if (home_device_known_ && home_device_ == device && same_mount(home_mount_, mount)) {
    error = open_home(device, *opened);
  } else {
    held_descriptor top;
    error = climb_to_top(directory, device, top);
    if (error == 0 && top.get() < 0) top.reset(openat(directory, ".", trash_folder_flags));
    if (error == 0) error = top.get() < 0 ? errno : opened->open_at_top(top, getuid(), device);
  }
  // Short of descriptors or memory for now: the next file tries again.
  if (short_of_room(error)) return error;
  if (error != 0) opened.reset();
  trash = opened.get();
  places_.push_back(place{device, mount, std::move(opened), error});
  return error;
}

void trash_places::look_for_home() {
  home_looked_for_ = true;
  home_ = find_home_trash();
  if (home_.base.empty()) return;  // no home: every file goes to its mount's trash
  // The device and mount the home trash is on, or is to be made on: those of
  // the nearest folder of its path that is there. Files seen through that
  // mount go nowhere else.
  std::string path = home_.path();
  standing where;
  while (standing_at(AT_FDCWD, path.c_str(), 0, where) != 0) {
    if (path == "/") return;
    path = parent_of(path);
  }
  home_device_known_ = true;
  home_device_ = where.device;
  home_mount_ = where.mount;
  // Without the home itself there is no home trash; nothing is made in its place.
  home_usable_ = path.size() >= home_.base.size();
}

int trash_places::open_home(dev_t device, trash_directory& trash) const {
  if (!home_usable_) return ENOENT;
  held_descriptor at(open(home_.base.c_str(), trash_folder_flags));
  if (at.get() < 0) return errno;
  for (std::size_t k = 0; k + 1 < home_.folders.size(); ++k) {
    const char* name = home_.folders[k].c_str();
    if (mkdirat(at.get(), name, 0700) != 0 && errno != EEXIST) return errno;
    held_descriptor next(openat(at.get(), name, trash_folder_flags));
    if (next.get() < 0) return errno;
    at.reset(next.release());
  }
  // The home trash may be a link to a folder elsewhere, as other clients allow.
  return trash.open(at.get(), home_.folders.back().c_str(), getuid(), device, true);
}
}  // namespace platform
