#include "platform/text/last_error.h"

#include <windows.h>

namespace platform {
std::uint32_t get_last_error() { return GetLastError(); }

void set_last_error(std::uint32_t code) { SetLastError(code); }

int native_last_error() { return static_cast<int>(GetLastError()); }

void set_native_last_error(int error) { SetLastError(static_cast<DWORD>(error)); }

const int native_path_not_found = ERROR_PATH_NOT_FOUND;
}  // namespace platform
