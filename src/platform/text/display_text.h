#pragma once
#include <string>

namespace platform {
// A name or path as every text shows it. Windows: in the ANSI code page, '?'
// for each character it lacks. POSIX: each control byte (below 0x20, and 0x7F)
// as '?', as ls shows it, since a name may hold a line feed; all else unchanged.
std::string displayed_name(const std::string& name_or_path);

// Words of the command line echoed in a message. Windows: in the ANSI code
// page, as names are; POSIX: unchanged.
std::string displayed_command_text(const std::string& text);
}  // namespace platform
