#include "platform/files/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/files/file_status_posix.h"
#include "platform/files/tree_entry_posix.h"
#include "platform/text/last_error_posix.h"

namespace platform {
namespace {
// The status of an open file, and whether it may be read as a file; errno
// tells why not.
bool regular_status(int descriptor, file_status& status) {
  struct stat info {};
  if (fstat(descriptor, &info) != 0) return false;
  status = status_from(info);
  if (status.type == file_status::kind::regular) return true;
  // A FIFO, socket or device has no contents to judge (ENXIO is bad_file_type).
  errno = status.type == file_status::kind::directory ? EISDIR : ENXIO;
  return false;
}
}  // namespace

bool read_only_file::open(const tree_entry& entry, const file_status& expected) {
  close();
  // What the name leads to, a link read through, is asked about through a
  // handle that opens nothing: a FIFO or device put behind it is never opened.
  const int place = ::openat(at_base(entry), at_name(entry), O_PATH | O_CLOEXEC);
  if (place < 0) return false;
  file_status opened;
  if (regular_status(place, opened)) {
    // The very file asked about is opened for reading; without /proc, by its name again.
    const std::string itself = "/proc/self/fd/" + std::to_string(place);
    state_.descriptor = ::open(itself.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (state_.descriptor < 0 && errno == ENOENT)
      state_.descriptor = ::openat(at_base(entry), at_name(entry), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  } else if (errno == EISDIR && expected.identity.known && expected.type == file_status::kind::regular) {
    // A folder put in place of the regular file asked about is no more what was asked about than a FIFO.
    errno = ENXIO;
  }
  const int saved = errno;
  ::close(place);
  errno = saved;
  if (state_.descriptor < 0) return false;
  file_status now;
  if (!regular_status(state_.descriptor, now)) {
    close();
    return false;
  }
  // Swapped since its status was asked: the file asked about is gone.
  if ((expected.identity.known && !(now.identity == expected.identity)) || !(now.identity == opened.identity)) {
    close();
    errno = ENOENT;
    return false;
  }
  return true;
}

bool read_only_file::open_listed(const tree_entry& entry, file_status& status) {
  close();
  state_.descriptor = ::openat(at_base(entry), at_name(entry), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
  if (state_.descriptor < 0) return false;
  if (regular_status(state_.descriptor, status)) return true;
  // Listed as a plain file, now a folder: no more than a FIFO is it what was listed.
  if (errno == EISDIR) errno = ENXIO;
  close();
  return false;
}

bool read_only_file::is_open() const { return state_.descriptor >= 0; }

std::size_t read_only_file::read(void* buffer, std::size_t length) {
  for (;;) {
    // A regular file gives fewer bytes than asked for only at its end.
    const ssize_t got = ::read(state_.descriptor, buffer, length);
    if (got < 0 && errno == EINTR) continue;
    read_error_ = got < 0 ? error_code_from_errno(errno) : 0;
    return got < 0 ? 0 : static_cast<std::size_t>(got);  // what could not be read compares as zero
  }
}

void read_only_file::close() {
  if (state_.descriptor < 0) return;
  const int saved = errno;
  ::close(state_.descriptor);
  errno = saved;
  state_.descriptor = -1;
}
}  // namespace platform
