#include "platform/file_stream.h"

#include <share.h>
#include <stdio.h>

namespace platform {
std::FILE* open_file_stream(const char* name, const char* mode) { return std::fopen(name, mode); }

std::FILE* open_log_for_append(const char* name) { return _fsopen(name, "at", _SH_DENYNO); }
}  // namespace platform
