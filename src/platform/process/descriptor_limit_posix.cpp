#include "platform/process/descriptor_limit.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>

#include <algorithm>

namespace platform {
namespace {
rlimit given{RLIM_INFINITY, RLIM_INFINITY};
bool raised = false;

// The descriptors open now: the process's own listing of them, or where there
// is none, every number up to the limit tried.
std::size_t descriptors_in_use(std::size_t limit) {
  std::size_t count = 0;
  if (DIR* listing = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(listing))
      if (entry->d_name[0] != '.') ++count;
    closedir(listing);
    return count > 0 ? count - 1 : 0;  // the listing's own
  }
  for (std::size_t fd = 0; fd < limit && fd < 65536; ++fd)
    if (fcntl(static_cast<int>(fd), F_GETFD) != -1) ++count;
  return count;
}
}  // namespace

std::size_t spare_descriptors() {
  constexpr std::size_t no_limit = std::size_t{1} << 20;
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return no_limit;
  const auto most = static_cast<std::size_t>(std::min<rlim_t>(limit.rlim_cur, no_limit));
  const std::size_t used = descriptors_in_use(most);
  return used < most ? most - used : 0;
}

// A share's server counts what its mount holds open, not this process.
std::size_t spare_descriptors(const std::string&) { return spare_descriptors(); }

// The soft limit is often kept low for programs that still use select(); this
// one does not, and a deep tree is walked faster with more directories open.
void raise_descriptor_limit() {
  if (getrlimit(RLIMIT_NOFILE, &given) != 0) return;
  rlimit raised_limit = given;
  raised_limit.rlim_cur = given.rlim_max;
  raised = setrlimit(RLIMIT_NOFILE, &raised_limit) == 0;
}

// Async-signal-safe: called between fork and exec.
void restore_descriptor_limit() {
  if (raised) setrlimit(RLIMIT_NOFILE, &given);
}
}  // namespace platform
