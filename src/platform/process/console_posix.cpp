#include "platform/process/console.h"

#include <unistd.h>

namespace platform {
// A POSIX process inherits its terminal as its standard output.
void attach_parent_console() {}

bool output_is_terminal() { return isatty(STDOUT_FILENO) == 1; }

bool errors_are_terminal() { return isatty(STDERR_FILENO) == 1; }

bool output_goes_nowhere() { return false; }
}  // namespace platform
