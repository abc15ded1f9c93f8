#include "platform/file_stream.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdio.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace platform {
const char* const text_line_end = "\r\n";

std::FILE* open_file_stream(const char* name, const char* mode) {
  if (mode[0] != 'r' || std::strchr(mode, '+') != nullptr) return std::fopen(name, mode);
  // A read lets another program delete or move the file meanwhile: when
  // another run cannot move a file to the recycle bin, the shell deletes it
  // for good instead.
  const HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const int flags = _O_RDONLY | (std::strchr(mode, 'b') != nullptr ? _O_BINARY : _O_TEXT);
  const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), flags);
  if (descriptor < 0) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* stream = _fdopen(descriptor, mode);
  if (stream == nullptr) _close(descriptor);
  return stream;
}

std::FILE* open_log_for_append(const char* name) { return _fsopen(name, "at", _SH_DENYNO); }
}  // namespace platform
