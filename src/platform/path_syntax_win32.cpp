#include "platform/path_syntax.h"

#include <boost/filesystem.hpp>

#include "platform/wide_text_win32.h"

namespace platform {
const char path_separator = '\\';
const char* const option_introducers = "-/";

// Through the wide form: a narrow path's bytes would be read in the ANSI code page.
std::string joined_path(const std::string& directory, const std::string& name) {
  return from_wide((boost::filesystem::path(to_wide(directory)) / to_wide(name)).make_preferred().wstring());
}
}  // namespace platform
