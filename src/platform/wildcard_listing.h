#pragma once
#include <string>

namespace platform {
// The entries of one directory whose names match a wildcard, in the platform's
// enumeration order (FindFirstFileA / FindNextFileA / FindClose). The match
// ignores case; '*' stands for any run of bytes, '?' for one. "." and ".." are
// reported like any other entry where the pattern matches them.
class wildcard_listing {
 public:
  // `directory_prefix` is a directory path ending in a separator.
  wildcard_listing(const std::string& directory_prefix, const std::string& pattern);
  ~wildcard_listing();
  wildcard_listing(const wildcard_listing&) = delete;
  wildcard_listing& operator=(const wildcard_listing&) = delete;

  // The next matching name; false once there is none (or the listing failed).
  bool next(std::string& name);

 private:
  struct state;
  state* state_;
};
}  // namespace platform
