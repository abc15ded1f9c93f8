#pragma once
#include <string>

namespace platform {
// The separator the program writes between a directory and a name.
extern const char path_separator;
// The bytes that introduce an option on the command line.
extern const char* const option_introducers;
// A directory's path and the name of an entry in it, joined in native syntax
// (Windows: every slash made a backslash).
std::string joined_path(const std::string& directory, const std::string& name);
}  // namespace platform
