#include "platform/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/tree_entry_posix.h"

namespace platform {
bool read_only_file::open(const tree_entry& entry) {
  close();
  // Without waiting: a FIFO would otherwise hold the open until a writer came.
  descriptor_ = ::openat(at_base(entry), at_name(entry), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (descriptor_ < 0) return false;
  // A FIFO, socket or device has no contents to judge (ENXIO is bad_file_type).
  // A directory stays open: the read refuses it.
  struct stat info {};
  if (fstat(descriptor_, &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    ::close(descriptor_);
    descriptor_ = -1;
    errno = ENXIO;
    return false;
  }
  return true;
}

bool read_only_file::is_open() const { return descriptor_ >= 0; }

bool read_only_file::read(void* buffer, std::size_t length, std::size_t& done) {
  auto* bytes = static_cast<char*>(buffer);
  done = 0;
  while (done < length) {
    // A directory opens here but refuses the read (EISDIR): it is no file.
    const ssize_t got = ::read(descriptor_, bytes + done, length - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (errno == EISDIR) return false;
      break;  // what could not be read compares as zero, as with a short file
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

void read_only_file::close() {
  if (descriptor_ < 0) return;
  const int saved = errno;
  ::close(descriptor_);
  errno = saved;
  descriptor_ = -1;
}
}  // namespace platform
