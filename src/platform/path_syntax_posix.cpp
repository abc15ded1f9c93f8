#include "platform/path_syntax.h"

#include <boost/filesystem.hpp>

namespace platform {
const char path_separator = '/';
// A slash starts every absolute path here, so it cannot also start an option.
const char* const option_introducers = "-";

std::string joined_path(const std::string& directory, const std::string& name) {
  return (boost::filesystem::path(directory) / name).string();
}
}  // namespace platform
