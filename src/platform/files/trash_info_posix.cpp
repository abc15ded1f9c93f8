#include "platform/files/trash_info_posix.h"

#include <cstring>

namespace platform {
std::string percent_encoded(const std::string& path) {
  static const char unreserved[] = "-_.!~*'()/";
  static const char hex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                       (byte != 0 && std::strchr(unreserved, byte) != nullptr);
    if (plain) {
      encoded.push_back(c);
    } else {
      encoded.push_back('%');
      encoded.push_back(hex[byte >> 4]);
      encoded.push_back(hex[byte & 15]);
    }
  }
  return encoded;
}

std::string trash_info_text(const std::string& original_path, const std::tm& deleted) {
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &deleted);
  return "[Trash Info]\nPath=" + percent_encoded(original_path) + "\nDeletionDate=" + date + "\n";
}

std::string absolute_path(const std::string& path, const std::string& working_directory) {
  const std::string whole = !path.empty() && path[0] == '/' ? path : working_directory + "/" + path;
  std::string result;
  for (std::size_t start = 0; start < whole.size();) {
    std::size_t end = whole.find('/', start);
    if (end == std::string::npos) end = whole.size();
    const std::string part = whole.substr(start, end - start);
    if (!part.empty() && part != ".") result += "/" + part;
    start = end + 1;
  }
  return result.empty() ? "/" : result;
}
}  // namespace platform
