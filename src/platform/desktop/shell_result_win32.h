#pragma once
#include "platform/files/file_removal.h"

namespace platform {
// How a move to the recycle bin ended, from SHFileOperation's own result alone
// (it sets no last error). Its result is a Win32 error code or one of the
// shell's older DE_ codes, which reuse some of the same numbers.
removal_result shell_removal_result(int result);
}  // namespace platform
