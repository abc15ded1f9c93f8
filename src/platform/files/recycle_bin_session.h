#pragma once

namespace platform {
// The recycle bin as one run uses it. While a session lives, what a move to
// the recycle bin opens stays open for the next: on Linux each device's trash
// is found and opened at its first file, not once per file. The Windows shell
// keeps nothing of its own. Moves made outside any session open what they need
// each time. Sessions are made and moved into on one thread.
class recycle_bin_session {
 public:
  recycle_bin_session();
  ~recycle_bin_session();
  recycle_bin_session(const recycle_bin_session&) = delete;
  recycle_bin_session& operator=(const recycle_bin_session&) = delete;

 private:
  struct held;
  held* held_ = nullptr;
  recycle_bin_session* outer_ = nullptr;
};
}  // namespace platform
