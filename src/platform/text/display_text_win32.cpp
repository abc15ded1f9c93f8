#include "platform/text/display_text.h"

#include "platform/text/wide_text_win32.h"

namespace platform {
std::string displayed_name(const std::string& name_or_path) { return ansi_text(to_wide(name_or_path)); }

std::string displayed_command_text(const std::string& text) { return ansi_text(to_wide(text)); }
}  // namespace platform
