#include "platform/wildcard_listing.h"

#include <dirent.h>
#include <fnmatch.h>

#include <cerrno>

namespace platform {
struct wildcard_listing::state {
  DIR* directory = nullptr;
  std::string pattern;
};

wildcard_listing::wildcard_listing(const std::string& directory_prefix, const std::string& pattern)
    : state_(new state) {
  state_->directory = opendir(directory_prefix.c_str());
  state_->pattern = pattern;
}

wildcard_listing::~wildcard_listing() {
  if (state_->directory != nullptr) closedir(state_->directory);
  delete state_;
}

bool wildcard_listing::next(std::string& name) {
  if (state_->directory == nullptr) return false;
  // A backslash is an ordinary byte of a name here, and a leading dot needs
  // no explicit match, as on Windows.
  const int flags = FNM_NOESCAPE | FNM_CASEFOLD;
  while (dirent* entry = readdir(state_->directory)) {
    if (fnmatch(state_->pattern.c_str(), entry->d_name, flags) == 0) {
      name = entry->d_name;
      return true;
    }
  }
  closedir(state_->directory);
  state_->directory = nullptr;
  return false;
}
}  // namespace platform
