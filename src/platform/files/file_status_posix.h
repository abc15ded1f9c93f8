#pragma once
#include <sys/stat.h>

#include "platform/files/file_status.h"

namespace platform {
// What stat tells of a file, in the terms of file_status.
file_status status_from(const struct stat& info);
}  // namespace platform
