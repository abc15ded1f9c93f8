#include "platform/files/tree_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {
// Raw directory records, read in large batches straight into our own buffer.
struct tree_directory::listing {
  static constexpr std::size_t buffer_size = 32 * 1024;
  char buffer[buffer_size];
  long filled = 0;
  long offset = 0;
};

bool tree_directory::open_root(const std::string& path) {
  close();
  state_.descriptor = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return state_.descriptor >= 0;
}

bool tree_directory::open_subdirectory(const tree_directory& parent, const std::string& name) {
  close();
  state_.descriptor = ::openat(parent.state_.descriptor, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  return state_.descriptor >= 0;
}

bool tree_directory::opens_parent() { return true; }

void tree_directory::close_listing() {
  delete listing_;
  listing_ = nullptr;
}

void tree_directory::close() {
  close_listing();
  if (state_.descriptor < 0) return;
  const int saved = errno;  // a failure being reported must survive the clean-up
  ::close(state_.descriptor);
  errno = saved;
  state_.descriptor = -1;
}

bool tree_directory::start_listing() {
  if (state_.descriptor < 0) {
    errno = EBADF;
    return false;
  }
  delete listing_;
  listing_ = new listing;
  return true;
}

tree_directory::step tree_directory::next_entry(std::string& name, entry_kind& kind) {
  for (;;) {
    if (listing_->offset >= listing_->filled) {
      errno = 0;
      const ssize_t got = ::getdents64(state_.descriptor, listing_->buffer, listing::buffer_size);
      if (got < 0) return step::listing_failed;
      if (got == 0) return step::end;
      listing_->filled = got;
      listing_->offset = 0;
    }
    const auto* record = reinterpret_cast<const dirent64*>(listing_->buffer + listing_->offset);
    listing_->offset += record->d_reclen;
    const char* entry = record->d_name;
    if (entry[0] == '.' && (entry[1] == '\0' || (entry[1] == '.' && entry[2] == '\0'))) continue;
    name.assign(entry);
    unsigned char type = record->d_type;
    if (type == DT_UNKNOWN) {
      // Some file systems do not tell the type in the listing.
      struct stat info {};
      if (::fstatat(state_.descriptor, entry, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) return step::type_failed;
        type = DT_UNKNOWN;  // gone since it was listed
      } else {
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
      }
    }
    // A link is never descended, to a directory or not.
    kind = type == DT_DIR ? entry_kind::directory : type == DT_REG ? entry_kind::regular : entry_kind::other;
    return step::entry;
  }
}


std::int64_t blocks_read() {
  rusage usage{};
  if (getrusage(RUSAGE_THREAD, &usage) != 0) return -1;
  return usage.ru_inblock;
}

void tree_directory::warm_entry(const std::string& name) const {
  const int saved = errno;
  const int file = ::openat(state_.descriptor, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
  if (file >= 0) {
    struct stat info {};
    // A plain file when listed may be anything by now: only a regular one is
    // asked for. The open has brought the inode in; the first block comes
    // without waiting for it.
    if (fstat(file, &info) == 0 && S_ISREG(info.st_mode)) posix_fadvise(file, 0, 4096, POSIX_FADV_WILLNEED);
    ::close(file);
  }
  errno = saved;
}

bool tree_directory::names_directory(const std::string& name, const file_identity& identity) const {
  struct stat info {};
  if (::fstatat(state_.descriptor, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
  const file_identity found{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), true};
  if (S_ISDIR(info.st_mode) && found == identity) return true;
  errno = ENOENT;  // another entry under the name: the directory is not there
  return false;
}

bool tree_directory::get_identity(file_identity& id) const {
  const int saved = errno;
  struct stat info {};
  const bool found = ::fstat(state_.descriptor, &info) == 0;
  errno = saved;
  if (!found) return false;
  id = file_identity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), true};
  return true;
}
}  // namespace platform
