#pragma once
#include <cstdint>

namespace platform {
// The one place where errno values become Windows error codes and back.
std::uint32_t error_code_from_errno(int error_number);
int errno_from_error_code(std::uint32_t code);
}  // namespace platform
