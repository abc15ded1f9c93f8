#include "platform/file_stream.h"

#include <share.h>
#include <stdio.h>

namespace platform {
const char* const text_line_end = "\r\n";

std::FILE* open_log_for_append(const char* name) { return _fsopen(name, "at", _SH_DENYNO); }
}  // namespace platform
