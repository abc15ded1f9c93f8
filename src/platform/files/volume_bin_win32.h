#pragma once
#include <string>

#include "platform/files/recycle_bin_win32.h"

namespace platform {
// What the volume holding the full path `path` is, and what the user's
// settings for its recycle bin say (as Explorer keeps them).
volume_bin bin_of_volume(const std::wstring& path);
}  // namespace platform
