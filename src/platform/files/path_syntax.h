#pragma once
#include <string>

namespace platform {
// The separator the program writes between a directory and a name.
extern const char path_separator;
// The bytes that introduce an option on the command line.
extern const char* const option_introducers;
// The root as its subdirectories' paths start: with the platform's own
// separators, as the path library's preferred form has them.
std::string preferred_form(const std::string& root);
// Appends `name` to the directory `path`, after a separator unless the path
// already ends in one (or, on Windows, in a drive's colon), as the path
// library joins. In place, so that a deep path is built in one pass.
void append_name(std::string& path, const std::string& name);
}  // namespace platform
