#include "platform/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/tree_entry_posix.h"

namespace platform {
bool read_only_file::open(const tree_entry& entry, const file_status& expected) {
  close();
  // Without waiting: a FIFO would otherwise hold the open until a writer came.
  descriptor_ = ::openat(at_base(entry), at_name(entry), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (descriptor_ < 0) return false;
  struct stat info {};
  int refusal = 0;
  if (fstat(descriptor_, &info) != 0) {
    refusal = errno;
  } else if (S_ISDIR(info.st_mode)) {
    refusal = EISDIR;
  } else if (!S_ISREG(info.st_mode)) {
    refusal = ENXIO;  // bad_file_type: a FIFO, socket or device has no contents to judge
  } else if (expected.identity.known &&
             (static_cast<std::uint64_t>(info.st_dev) != expected.identity.volume ||
              static_cast<std::uint64_t>(info.st_ino) != expected.identity.index)) {
    refusal = ENOENT;  // swapped since its status was asked: the file asked about is gone
  }
  if (refusal == 0) return true;
  close();
  errno = refusal;
  return false;
}

bool read_only_file::is_open() const { return descriptor_ >= 0; }

std::size_t read_only_file::read(void* buffer, std::size_t length) {
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = ::read(descriptor_, bytes + done, length - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // what could not be read compares as zero, as with a short file
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void read_only_file::close() {
  if (descriptor_ < 0) return;
  const int saved = errno;
  ::close(descriptor_);
  errno = saved;
  descriptor_ = -1;
}
}  // namespace platform
