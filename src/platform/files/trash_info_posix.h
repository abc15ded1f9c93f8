#pragma once
#include <ctime>
#include <string>

namespace platform {
// A path as an info file of the desktop trash stores it: bytes outside the
// unreserved characters of a URL, and '/', written as %XX.
std::string percent_encoded(const std::string& path);

// The whole info file of a file trashed at local time `deleted` from
// `original_path` (absolute, or relative to the trash's top directory).
std::string trash_info_text(const std::string& original_path, const std::tm& deleted);

// `path` made absolute against `working_directory` when it is relative, with
// empty and "." components dropped; ".." is kept, as a link may stand before it.
std::string absolute_path(const std::string& path, const std::string& working_directory);
}  // namespace platform
