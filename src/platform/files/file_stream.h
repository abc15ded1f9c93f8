#pragma once
#include <cstdio>

namespace platform {
// Opens a log for appending in text mode ("at"), denying other processes nothing.
// Null unless the name is a regular file of its own: nothing is ever written
// through a link, nor to a directory or a device.
std::FILE* open_log_for_append(const char* name);
}  // namespace platform

namespace platform {
// How a line feed written to a text-mode stream is stored on disk.
extern const char* const text_line_end;
}  // namespace platform
