#pragma once

namespace platform {
// Lets a program without a console of its own write to the console it was
// typed in, unless its standard output already goes somewhere.
void attach_parent_console();
}  // namespace platform
