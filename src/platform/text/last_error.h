#pragma once
#include <cstdint>

// The calling thread's last-error value, as a Windows error code
// (GetLastError / SetLastError; errno mapped to those codes on POSIX).
namespace platform {
std::uint32_t get_last_error();
void set_last_error(std::uint32_t code);

// The last error as the system itself gives it (errno, or GetLastError), for
// errors reported in the system's own category.
int native_last_error();
// Sets it as native_last_error gives it, so a code taken on another thread reads the same here.
void set_native_last_error(int error);
// The system's own code for a path that names nothing.
extern const int native_path_not_found;
}  // namespace platform
