#pragma once
#include <cstddef>

namespace platform {
// The separator the program writes between a directory and a name.
extern const char path_separator;
// The bytes that introduce an option on the command line.
extern const char* const option_introducers;
// The longest path, in bytes, that the platform's file functions take
// (MAX_PATH less its terminating NUL on Windows; no such limit on POSIX).
extern const std::size_t max_path_length;
}  // namespace platform
