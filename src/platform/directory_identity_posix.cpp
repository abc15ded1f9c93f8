#include "platform/directory_identity.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform {
bool get_directory_identity(const std::string& path, directory_id& id) {
  const int saved = errno;  // callers classify failures by the last error of other calls
  struct stat info {};
  const bool found = stat(path.c_str(), &info) == 0;
  errno = saved;
  if (!found) return false;
  id = directory_id{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}
}  // namespace platform
