#include "platform/files/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
const char* const text_line_end = "\n";

// No text translation and no share modes on POSIX: a plain append.
std::FILE* open_log_for_append(const char* name) {
  // Without waiting: a FIFO of that name would otherwise hold the open until a
  // reader came, perhaps for ever. Never through a link: a link planted in a
  // directory others can write would send our lines into any file we may write.
  const int fd =
      ::open(name, O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  // A FIFO or device of that name is no log of ours (a directory cannot be
  // opened for writing at all).
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = ENXIO;
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* stream = fdopen(fd, "a");
  if (stream == nullptr) ::close(fd);
  return stream;
}
}  // namespace platform
