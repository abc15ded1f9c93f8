#include "platform/text/display_text.h"

namespace platform {
std::string displayed_name(const std::string& name_or_path) {
  std::string shown = name_or_path;
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return shown;
}

std::string displayed_command_text(const std::string& text) { return text; }
}  // namespace platform
