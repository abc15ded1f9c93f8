#include "platform/files/trash_directory_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/files/held_descriptor_posix.h"
#include "platform/files/trash_info_posix.h"
#include "platform/files/trash_places_posix.h"

namespace platform {
namespace {
// Whether `status` is that of a trash folder of `user`'s on `device`: 0, or
// why not.
int trash_folder_fault(const struct stat& status, uid_t user, dev_t device) {
  if (S_ISLNK(status.st_mode)) return ELOOP;
  if (!S_ISDIR(status.st_mode)) return ENOTDIR;
  if (status.st_uid != user || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) return EACCES;
  return status.st_dev == device ? 0 : EXDEV;
}

// The folder `name` of `parent`, made if missing, when it is a trash folder
// of `user`'s on `device` as `trash_directory::open` says.
int open_own_folder(int parent, const char* name, uid_t user, dev_t device, bool follow_link, int& opened) {
  const int flags = trash_folder_flags | (follow_link ? 0 : O_NOFOLLOW);
  held_descriptor folder(openat(parent, name, flags));
  if (folder.get() < 0 && errno == ENOENT) {
    if (mkdirat(parent, name, 0700) != 0 && errno != EEXIST) return errno;
    folder.reset(openat(parent, name, flags));
  }
  struct stat status {};
  if (folder.get() < 0 || fstat(folder.get(), &status) != 0) return errno;
  if (const int fault = trash_folder_fault(status, user, device)) return fault;
  opened = folder.release();
  return 0;
}

// As open_own_folder, for a folder asked about by name alone: no descriptor
// is spent on it.
int check_own_folder(int parent, const char* name, uid_t user, dev_t device) {
  struct stat status {};
  if (fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return errno;
    if (mkdirat(parent, name, 0700) != 0 && errno != EEXIST) return errno;
    if (fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  }
  return trash_folder_fault(status, user, device);
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

bool short_of_room(int error) { return error == EMFILE || error == ENFILE || error == ENOMEM; }

trash_directory::~trash_directory() {
  if (folder_ >= 0) close(folder_);
}

int trash_directory::open(int parent, const char* name, uid_t user, dev_t device, bool follow_link) {
  int opened = -1;
  if (const int error = open_own_folder(parent, name, user, device, follow_link, opened)) return error;
  held_descriptor folder(opened);
  for (const char* part : {"files", "info"})
    if (const int error = check_own_folder(folder.get(), part, user, device)) return error;
  if (folder_ >= 0) close(folder_);
  folder_ = folder.release();
  return 0;
}

int trash_directory::open_at_top(held_descriptor& top, uid_t user, dev_t device) {
  struct stat top_status {};
  if (fstat(top.get(), &top_status) != 0) return errno;
  const std::string top_path = path_of(top.get());
  held_descriptor shared(openat(top.get(), shared_trash_name, trash_folder_flags | O_NOFOLLOW));
  if (shared.get() < 0 && short_of_room(errno)) return errno;
  struct stat status {};
  const bool sticky = shared.get() >= 0 && fstat(shared.get(), &status) == 0 && S_ISDIR(status.st_mode) &&
                      (status.st_mode & S_ISVTX) != 0;
  if (sticky) {
    // Two handles at a time, however far the way: the top is let go while
    // the user's folder in the shared one is opened, and found again from
    // there, as the same folder, where that folder cannot be used.
    top.reset(-1);
    const int error = open(shared.get(), std::to_string(user).c_str(), user, device, false);
    if (error == 0) {
      top_ = top_path;
      return 0;
    }
    if (short_of_room(error)) return error;
    top.reset(openat(shared.get(), "..", trash_folder_flags));
    struct stat again {};
    if (top.get() < 0 || fstat(top.get(), &again) != 0) return errno;
    if (again.st_dev != top_status.st_dev || again.st_ino != top_status.st_ino) return ENOENT;
  }
  shared.reset(-1);
  if (const int error = open(top.get(), own_trash_name(user).c_str(), user, device, false)) return error;
  top_ = top_path;
  return 0;
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
  unsigned& last_taken = taken_[base];
  // The info file claims the name: NAME, NAME.2, NAME.3 ...
  for (unsigned number = last_taken + 1, tries = 0; tries < 10000; ++number, ++tries) {
    const std::string trashed = number == 1 ? base : base + "." + std::to_string(number);
    const std::string info_name = "info/" + trashed + ".trashinfo";
    const int info = openat(folder_, info_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (info < 0 && errno == EEXIST) {
      last_taken = number;
      continue;
    }
    if (info < 0) return errno;
    int error = write_all(info, text);
    if (close(info) != 0 && error == 0) error = errno;
    if (error == 0) error = move_in(directory, name, trashed);
    if (error == 0 || error == EEXIST) last_taken = number;
    if (error == 0) return 0;
    unlinkat(folder_, info_name.c_str(), 0);
    if (error != EEXIST) return error;
  }
  return EEXIST;
}

int trash_directory::move_in(int directory, const char* name, const std::string& trashed_name) {
  const std::string into = "files/" + trashed_name;
  if (renameat2(directory, name, folder_, into.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL) return errno;
  // A file system without the flag: a file left there without its info file stays.
  struct stat there {};
  if (fstatat(folder_, into.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  return renameat(directory, name, folder_, into.c_str()) == 0 ? 0 : errno;
}
}  // namespace platform
