#include "platform/process/console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {
// isatty sets errno when the answer is no; the last error must stay the run's own.
bool is_terminal(int descriptor) {
  const int saved = errno;
  const bool terminal = isatty(descriptor) == 1;
  errno = saved;
  return terminal;
}
}  // namespace

// A POSIX process inherits its terminal as its standard output.
void attach_parent_console() {}

bool output_is_terminal() { return is_terminal(STDOUT_FILENO); }

bool errors_are_terminal() { return is_terminal(STDERR_FILENO); }

unsigned error_terminal_columns() {
  const int saved = errno;
  winsize size{};
  const bool known = ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0;
  errno = saved;
  return known ? size.ws_col : 0;
}

bool output_goes_nowhere() { return false; }
}  // namespace platform
