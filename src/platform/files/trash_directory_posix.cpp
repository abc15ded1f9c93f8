#include "platform/files/trash_directory_posix.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/files/trash_info_posix.h"

namespace platform {
namespace {
// A trash folder is never entered through a link.
constexpr int folder_flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Closes what it holds when it goes.
class held_descriptor {
 public:
  explicit held_descriptor(int fd) : fd_(fd) {}
  ~held_descriptor() { reset(-1); }
  held_descriptor(const held_descriptor&) = delete;
  held_descriptor& operator=(const held_descriptor&) = delete;
  int get() const { return fd_; }
  void reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// The folder `name` of `parent`, made if missing.
int open_folder(int parent, const char* name, int& opened) {
  if (mkdirat(parent, name, 0700) != 0 && errno != EEXIST) return errno;
  opened = openat(parent, name, folder_flags);
  return opened < 0 ? errno : 0;
}

// As open_folder, but only a folder of this user's; another's is refused.
int open_own_folder(int parent, const char* name, int& opened) {
  if (const int error = open_folder(parent, name, opened)) return error;
  struct stat status {};
  if (fstat(opened, &status) == 0 && status.st_uid == getuid()) return 0;
  close(opened);
  opened = -1;
  return EACCES;
}

// $XDG_DATA_HOME, or ~/.local/share; empty when there is no home.
std::string data_home() {
  const char* set = std::getenv("XDG_DATA_HOME");
  if (set != nullptr && set[0] == '/') return set;  // a relative one counts as unset
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* user = getpwuid(getuid());
    home = user == nullptr ? nullptr : user->pw_dir;
  }
  return home == nullptr || *home == '\0' ? std::string() : std::string(home) + "/.local/share";
}

int open_made(const std::string& folder) {
  const int opened = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (opened >= 0 || errno != ENOENT) return opened;
  for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
    mkdir(folder.substr(0, slash).c_str(), 0700);
  mkdir(folder.c_str(), 0700);
  return open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// The path the system gives the open directory, where /proc tells it.
std::string path_of(int fd) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  std::vector<char> target(4096);
  const ssize_t length = readlink(link.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= target.size() || target[0] != '/') return std::string();
  return std::string(target.data(), static_cast<std::size_t>(length));
}

int write_all(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return wrote < 0 ? errno : ENOSPC;
    done += static_cast<std::size_t>(wrote);
  }
  return 0;
}
}  // namespace

trash_directory::~trash_directory() {
  if (files_ >= 0) close(files_);
  if (info_ >= 0) close(info_);
}

int trash_directory::open_for(int directory, dev_t device) {
  bool on_device = false;
  if (const int error = open_home(device, on_device)) return error;
  return on_device ? 0 : open_top(directory, device);
}

int trash_directory::open_home(dev_t device, bool& on_device) {
  const std::string folder = data_home();
  if (folder.empty()) return 0;
  held_descriptor home(open_made(folder));
  if (home.get() < 0) return errno;
  struct stat status {};
  if (fstat(home.get(), &status) != 0) return errno;
  on_device = status.st_dev == device;
  if (!on_device) return 0;
  int trash = -1;
  if (const int error = open_folder(home.get(), "Trash", trash)) return error;
  return open_parts(trash);
}

int trash_directory::open_top(int directory, dev_t device) {
  // Up from the file's own directory by "..", never by a path, until the
  // next step leaves the device: that is the top of its mount.
  held_descriptor top(openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat here {};
  if (top.get() < 0 || fstat(top.get(), &here) != 0) return errno;
  if (here.st_dev != device) return EXDEV;
  for (;;) {
    held_descriptor parent(openat(top.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat above {};
    if (parent.get() < 0 || fstat(parent.get(), &above) != 0) return errno;
    if (above.st_dev != device || above.st_ino == here.st_ino) break;
    top.reset(parent.release());
    here = above;
  }
  const std::string uid = std::to_string(getuid());
  int trash = -1;
  // A shared .Trash counts only as a sticky folder, not a link; else this
  // user's own .Trash-$uid.
  held_descriptor shared(openat(top.get(), ".Trash", folder_flags));
  struct stat status {};
  if (shared.get() >= 0 && fstat(shared.get(), &status) == 0 && (status.st_mode & S_ISVTX) != 0)
    open_own_folder(shared.get(), uid.c_str(), trash);
  if (trash < 0)
    if (const int error = open_own_folder(top.get(), (".Trash-" + uid).c_str(), trash)) return error;
  top_ = path_of(top.get());
  return open_parts(trash);
}

int trash_directory::open_parts(int trash) {
  held_descriptor held(trash);
  if (const int error = open_folder(trash, "files", files_)) return error;
  return open_folder(trash, "info", info_);
}

int trash_directory::take(int directory, const char* name, const std::string& original) {
  std::string stored = original;
  if (top_ == "/")
    stored = original.substr(1);
  else if (!top_.empty() && original.compare(0, top_.size() + 1, top_ + "/") == 0)
    stored = original.substr(top_.size() + 1);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string text = trash_info_text(stored, local);

  const char* slash = std::strrchr(name, '/');
  const std::string base = slash == nullptr ? name : slash + 1;
  // The info file claims the name: NAME, NAME.2, NAME.3 ...
  for (unsigned number = 1; number <= 10000; ++number) {
    const std::string trashed = number == 1 ? base : base + "." + std::to_string(number);
    const std::string info_name = trashed + ".trashinfo";
    const int info = openat(info_, info_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (info < 0 && errno == EEXIST) continue;
    if (info < 0) return errno;
    int error = write_all(info, text);
    if (close(info) != 0 && error == 0) error = errno;
    if (error == 0) error = move_in(directory, name, trashed);
    if (error == 0) return 0;
    unlinkat(info_, info_name.c_str(), 0);
    if (error != EEXIST) return error;
  }
  return EEXIST;
}

int trash_directory::move_in(int directory, const char* name, const std::string& trashed_name) {
  if (renameat2(directory, name, files_, trashed_name.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL) return errno;
  // A file system without the flag: a file left there without its info file stays.
  struct stat there {};
  if (fstatat(files_, trashed_name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  return renameat(directory, name, files_, trashed_name.c_str()) == 0 ? 0 : errno;
}
}  // namespace platform
