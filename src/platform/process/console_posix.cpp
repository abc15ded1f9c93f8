#include "platform/process/console.h"

namespace platform {
// A POSIX process inherits its terminal as its standard output.
void attach_parent_console() {}
}  // namespace platform
