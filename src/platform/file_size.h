#pragma once
#include <cstdint>

namespace platform {
// The size of the entry at `path`, split into its high and low 32 bits.
// False, storing nothing, when the entry cannot be found.
bool query_file_size(const char* path, std::uint32_t& high, std::uint32_t& low);
}  // namespace platform
