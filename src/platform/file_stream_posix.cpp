#include "platform/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
const char* const text_line_end = "\n";

// No text translation and no share modes on POSIX: a plain append.
std::FILE* open_log_for_append(const char* name) {
  // Without waiting: a FIFO of that name would otherwise hold the open until a
  // reader came, perhaps for ever.
  const int fd = ::open(name, O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  // Windows refuses a directory here, and so do we.
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* stream = fdopen(fd, "a");
  if (stream == nullptr) ::close(fd);
  return stream;
}
}  // namespace platform
