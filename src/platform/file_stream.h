#pragma once
#include <cstdio>

namespace platform {
// fopen with the platform's rules. Null when the file cannot be opened; a
// directory is never opened as a file stream, on any platform. Nothing that
// is not a regular file is opened for reading (last error bad_file_type), and
// no open waits on a FIFO. A file open for reading may still be deleted or
// renamed by others.
std::FILE* open_file_stream(const char* name, const char* mode);

// Opens a log for appending in text mode ("at"), denying other processes nothing.
std::FILE* open_log_for_append(const char* name);
}  // namespace platform

namespace platform {
// How a line feed written to a text-mode stream is stored on disk.
extern const char* const text_line_end;
}  // namespace platform
