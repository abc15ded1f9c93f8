#pragma once
#include <cstdint>

// The calling thread's last-error value, as a Windows error code
// (GetLastError / SetLastError; errno mapped to those codes on POSIX).
namespace platform {
std::uint32_t get_last_error();
void set_last_error(std::uint32_t code);
}  // namespace platform
