#include "platform/process/descriptor_limit.h"

namespace platform {
std::size_t spare_descriptors() { return std::size_t{1} << 16; }

// Handles have no per-process limit to raise.
void raise_descriptor_limit() {}
void restore_descriptor_limit() {}
}  // namespace platform
