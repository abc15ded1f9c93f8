#include "platform/file_stream.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform {
const char* const text_line_end = "\n";

namespace {
std::FILE* open_file_stream(const char* name, const char* mode) {
  std::FILE* stream = std::fopen(name, mode);
  if (stream == nullptr) return nullptr;
  // fopen takes a directory here; Windows refuses it, and so do we.
  struct stat info {};
  if (fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(stream);
    errno = EISDIR;
    return nullptr;
  }
  return stream;
}
}  // namespace

// No text translation and no share modes on POSIX: a plain append.
std::FILE* open_log_for_append(const char* name) { return open_file_stream(name, "a"); }
}  // namespace platform
