#pragma once
#include <cstddef>

namespace platform {
// The handles a walk may hold on a volume of this kind (GetDriveType's answer).
std::size_t spare_handles_on(unsigned drive_type);
}  // namespace platform
