#pragma once
#include <cstdio>

namespace platform {
// Opens a log for appending in text mode ("at"), denying other processes nothing.
// Null unless the name is a regular file of its own: a link, a directory or a
// device is never opened for writing.
std::FILE* open_log_for_append(const char* name);
}  // namespace platform

namespace platform {
// How a line feed written to a text-mode stream is stored on disk.
extern const char* const text_line_end;
}  // namespace platform
