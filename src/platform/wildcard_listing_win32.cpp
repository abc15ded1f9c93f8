#include "platform/wildcard_listing.h"

#include <windows.h>

namespace platform {
struct wildcard_listing::state {
  HANDLE handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA data{};
  bool first_pending = false;
  bool finished = false;
};

wildcard_listing::wildcard_listing(const std::string& directory_prefix, const std::string& pattern)
    : state_(new state) {
  const std::string query = directory_prefix + pattern;
  state_->handle = FindFirstFileA(query.c_str(), &state_->data);
  if (state_->handle == INVALID_HANDLE_VALUE) {
    state_->finished = true;
  } else {
    state_->first_pending = true;
  }
}

wildcard_listing::~wildcard_listing() {
  if (state_->handle != INVALID_HANDLE_VALUE) FindClose(state_->handle);
  delete state_;
}

bool wildcard_listing::next(std::string& name) {
  if (state_->finished) return false;
  if (state_->first_pending) {
    // FindFirstFileA already delivered the first entry.
    state_->first_pending = false;
  } else if (!FindNextFileA(state_->handle, &state_->data)) {
    state_->finished = true;
    return false;
  }
  name = state_->data.cFileName;
  return true;
}
}  // namespace platform
