#pragma once
#include "platform/files/file_removal.h"

namespace platform {
// How a move to the recycle bin ended, from SHFileOperation's own answer
// alone (it sets no last error): its result, a Win32 error code or one of the
// shell's older DE_ codes, which reuse some of the same numbers; and whether
// it aborted an operation, which without any dialog it may do and still
// return 0, leaving the file where it was.
removal_result shell_removal_result(int result, bool aborted);

// IFileOperation's result in the terms shell_removal_result takes: a Win32
// code where it carries one, 0 for success, -1 for anything else.
int shell_result_of(long hresult);
}  // namespace platform
