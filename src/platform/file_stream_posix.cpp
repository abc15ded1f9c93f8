#include "platform/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
const char* const text_line_end = "\n";

namespace {
int open_flags(const char* mode) {
  const bool update = std::strchr(mode, '+') != nullptr;
  int flags = 0;
  switch (mode[0]) {
    case 'r': flags = update ? O_RDWR : O_RDONLY; break;
    case 'w': flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC; break;
    case 'a': flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND; break;
    default: return -1;
  }
  // Without waiting: a FIFO would otherwise hold open() until a writer (or,
  // for writing, a reader) came, perhaps for ever.
  return flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
}

bool is_special(mode_t mode) { return !S_ISREG(mode) && !S_ISDIR(mode); }

std::FILE* refuse(int fd, int error_number) {
  if (fd >= 0) close(fd);
  errno = error_number;
  return nullptr;
}
}  // namespace

std::FILE* open_file_stream(const char* name, const char* mode) {
  const int flags = open_flags(mode);
  if (flags < 0) return refuse(-1, EINVAL);
  const bool reading = mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
  // A FIFO, socket or device has no contents to judge: it is not even opened.
  struct stat info {};
  if (reading && stat(name, &info) == 0 && is_special(info.st_mode)) return refuse(-1, ENXIO);

  const int fd = open(name, flags, 0666);
  if (fd < 0) return nullptr;
  if (fstat(fd, &info) != 0) return refuse(fd, errno);
  // fopen takes a directory here; Windows refuses it, and so do we.
  if (S_ISDIR(info.st_mode)) return refuse(fd, EISDIR);
  // Swapped in since the look above.
  if (reading && is_special(info.st_mode)) return refuse(fd, ENXIO);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);

  std::FILE* stream = fdopen(fd, mode);
  if (stream == nullptr) return refuse(fd, errno);
  return stream;
}

// No text translation and no share modes on POSIX: a plain append.
std::FILE* open_log_for_append(const char* name) { return open_file_stream(name, "a"); }
}  // namespace platform
