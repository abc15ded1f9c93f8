#include "platform/read_only_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/tree_entry_posix.h"

namespace platform {
bool read_only_file::open(const tree_entry& entry) {
  close();
  descriptor_ = ::openat(at_base(entry), at_name(entry), O_RDONLY | O_CLOEXEC);
  return descriptor_ >= 0;
}

bool read_only_file::is_open() const { return descriptor_ >= 0; }

bool read_only_file::read(void* buffer, std::size_t length) {
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
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
