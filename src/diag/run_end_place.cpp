#include "diag/run_end_place.h"

#include "platform/text/last_error.h"

namespace {
std::string& place() {
  static std::string path;
  return path;
}
}  // namespace

void note_run_end_place(const std::string& path) {
  // Noted on the way to the error report, which reads the last error after.
  const std::uint32_t saved = platform::get_last_error();
  place() = path;
  platform::set_last_error(saved);
}

const std::string& run_end_place() { return place(); }
