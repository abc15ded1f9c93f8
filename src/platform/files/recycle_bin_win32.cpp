#include "platform/files/recycle_bin_win32.h"

#include <windows.h>

#include "platform/desktop/shell_recycle_win32.h"
#include "platform/desktop/shell_result_win32.h"
#include "platform/files/volume_bin_win32.h"
#include "platform/text/error_codes.h"

namespace platform {
const recycle_calls& system_recycle_calls() {
  static const recycle_calls calls{recycle_with_report, bin_of_volume, recycle_with_result};
  return calls;
}

std::uint32_t bin_refusal(const volume_bin& bin, std::uint64_t size) {
  // Only a fixed disk has a recycle bin: removable drives, network shares
  // and mapped drives, CDs and RAM disks have none, and a subst drive's files
  // are deleted for good even where its folder has one.
  if (bin.drive_type != DRIVE_FIXED || bin.substituted || bin.turned_off) return error_code::not_supported;
  if (bin.room != 0 && size > bin.room) return error_code::not_supported;
  return error_code::success;
}

removal_result recycle_file(const std::wstring& path, std::uint64_t size, const recycle_calls& calls) {
  // The shell's recycling is a request: where the bin cannot take the file
  // it deletes it for good. The volume and the bin's settings are asked first.
  const std::uint32_t refusal = bin_refusal(calls.bin_of(path), size);
  if (refusal != error_code::success) return {removal_outcome::refused, refusal};
  const shell_report told = calls.ask_shell(path);
  if (told.told) {
    if (told.destroyed) return {removal_outcome::destroyed, error_code::success};
    if (told.declined) return {removal_outcome::refused, error_code::not_supported};
    // The item's own failure tells why; the operation's is 1223 without a dialog.
    const removal_result result = shell_removal_result(told.item_result != 0 ? told.item_result : told.result,
                                                       told.aborted);
    // Moved only where the shell says the file is in the bin.
    if (result.outcome == removal_outcome::removed && !told.recycled)
      return {removal_outcome::refused, error_code::not_supported};
    return result;
  }
  const shell_report done = calls.older_shell(path);
  return shell_removal_result(done.result, done.aborted);
}
}  // namespace platform
