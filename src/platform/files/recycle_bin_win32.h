#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/files/file_removal.h"

namespace platform {
// What the shell said of one file it was asked to move to the recycle bin.
struct shell_report {
  bool told = false;      // it reported on the item itself (IFileOperation), not just a result
  int result = 0;         // a Win32 error code or one of the shell's DE_ codes; 0 when it went well
  bool aborted = false;   // it says it aborted the operation
  bool recycled = false;  // told: the file is in the recycle bin
  bool declined = false;  // told: it would have deleted the file for good, and was stopped first
  bool destroyed = false; // told: it deleted the file for good
  int item_result = 0;    // told: how the item's own deletion failed, in the terms of `result`
};

// What the volume of a path says about a recycle bin there.
struct volume_bin {
  unsigned drive_type = 0;       // GetDriveType's answer for the volume's root
  bool substituted = false;      // a drive letter made by subst for a folder
  bool turned_off = false;       // the user or a policy has files deleted at once
  std::uint64_t room = 0;        // the most the bin takes, in bytes; 0 when not set
};

// The calls a move to the recycle bin makes: the shell that tells per item,
// the volume's kind for where it does not, and the older shell call that
// does not tell. Tests pass their own.
struct recycle_calls {
  std::function<shell_report(const std::wstring& path)> ask_shell;
  std::function<volume_bin(const std::wstring& path)> bin_of;
  std::function<shell_report(const std::wstring& path)> older_shell;
};

// The system's own calls.
const recycle_calls& system_recycle_calls();

// Why the recycle bin of `bin` would not keep a file of `size` bytes (0: size
// unknown) but have the shell delete it for good: error_code::not_supported;
// success when it keeps it.
std::uint32_t bin_refusal(const volume_bin& bin, std::uint64_t size);

// Moves the file at the full path `path` to the recycle bin, never deleting
// it for good where it can tell: a file the bin would not keep, by the
// volume's kind and the bin's settings and then by the shell's own word, is
// refused with error_code::not_supported and stays. One the shell deleted for
// good all the same is `destroyed`: gone, never counted as moved.
removal_result recycle_file(const std::wstring& path, std::uint64_t size, const recycle_calls& calls);
}  // namespace platform
