#pragma once
#include <string>

namespace platform {
// The process's working directory as the system reports it; empty when it
// cannot be read.
std::string get_current_directory();
}  // namespace platform
