#pragma once
#include <cstdint>
#include <string>

namespace platform {
// The system's own text for an error code, exactly as the system gives it
// (ending in the platform's line end: CR LF on Windows, LF elsewhere). False, with `text` untouched, when there is none.
bool system_message_text(std::uint32_t code, std::string& text);
}  // namespace platform
