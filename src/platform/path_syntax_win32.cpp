#include "platform/path_syntax.h"

namespace platform {
const char path_separator = '\\';
const char* const option_introducers = "-/";
// MAX_PATH (260) less the terminating NUL.
const std::size_t max_path_length = 259;
}  // namespace platform
