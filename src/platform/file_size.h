#pragma once
#include <cstdint>

#include "platform/tree_directory.h"

namespace platform {
// The size of the entry (a link read through), split into its high and low
// 32 bits. False, storing nothing, when the entry cannot be found.
bool query_file_size(const tree_entry& entry, std::uint32_t& high, std::uint32_t& low);
}  // namespace platform
