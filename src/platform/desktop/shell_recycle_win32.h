#pragma once
#include <string>

#include "platform/files/recycle_bin_win32.h"

namespace platform {
// Whether COM is set up on the calling thread, as the shell's objects need:
// done at the thread's first call, undone as the thread ends.
bool com_ready();

// Asks the shell (IFileOperation) to move the file at `path` to the recycle
// bin, watching the item: where the shell would delete it for good, the
// deletion is stopped before it starts. `told` is false where the shell
// offers no such report (older systems, Wine): nothing was done then.
shell_report recycle_with_report(const std::wstring& path);

// The same through SHFileOperation, which tells only how it ended: where a
// volume has no recycle bin it deletes the file for good.
shell_report recycle_with_result(const std::wstring& path);
}  // namespace platform
