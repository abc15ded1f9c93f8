#include "platform/text/system_message.h"

#include <windows.h>

namespace platform {
bool system_message_text(std::uint32_t code, std::string& text) {
  char* buffer = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER;
  // With ALLOCATE_BUFFER the system stores a pointer to its own buffer here.
  const DWORD length = FormatMessageA(flags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return false;
  text.assign(buffer, length);
  LocalFree(buffer);
  return true;
}
}  // namespace platform
