#include "platform/desktop/shell_result_win32.h"

#include "platform/text/error_codes.h"

namespace platform {
namespace {
// The shell's own codes, older than the Win32 ones.
constexpr int de_opcancelled = 0x75;
constexpr int de_accessdeniedsrc = 0x78;
constexpr int de_pathtoodeep = 0x79;
constexpr int de_invalidfiles = 0x7C;
constexpr int de_filenametoolong = 0x81;
constexpr int de_src_is_cdrom = 0x86;
constexpr int de_src_is_dvd = 0x87;
constexpr int de_src_is_cdrecord = 0x88;

bool is_other_shell_code(int result) {
  // DE_SAMEFILE to DE_SRC_IS_CDRECORD less the unused 0x77, 0x7B and 0x7F;
  // DE_ERROR_MAX; the unknown error of old systems; ERRORONDEST and with it.
  if (result >= 0x71 && result <= 0x88) return result != 0x77 && result != 0x7B && result != 0x7F;
  return result == 0xB7 || result == 0x402 || result >= 0x10000;
}
}  // namespace

int shell_result_of(long hresult) {
  const auto bits = static_cast<std::uint32_t>(hresult);
  if (hresult >= 0) return 0;
  if ((bits & 0xFFFF0000u) == 0x80070000u) return static_cast<int>(bits & 0xFFFFu);  // FACILITY_WIN32
  return -1;
}

removal_result shell_removal_result(int result, bool aborted) {
  switch (result) {
    case 0:
      if (aborted) return {removal_outcome::refused, error_code::cancelled};
      return {removal_outcome::removed, error_code::success};
    case static_cast<int>(error_code::file_not_found):
    case static_cast<int>(error_code::path_not_found):
    case de_invalidfiles:
      return {removal_outcome::gone, error_code::file_not_found};
    case static_cast<int>(error_code::not_enough_memory):
    case static_cast<int>(error_code::out_of_memory):
      return {removal_outcome::failed, error_code::not_enough_memory};
    // Without any dialog no one was asked: the shell gave up on the file.
    case de_opcancelled:
    case static_cast<int>(error_code::cancelled):
      return {removal_outcome::refused, error_code::cancelled};
    case de_accessdeniedsrc:
      return {removal_outcome::refused, error_code::access_denied};
    case de_pathtoodeep:
    case de_filenametoolong:
      return {removal_outcome::refused, error_code::filename_too_long};
    case de_src_is_cdrom:
    case de_src_is_dvd:
    case de_src_is_cdrecord:
      return {removal_outcome::refused, error_code::write_protect};
    default:
      break;
  }
  if (result < 0 || is_other_shell_code(result)) return {removal_outcome::refused, error_code::gen_failure};
  return {removal_outcome::refused, static_cast<std::uint32_t>(result)};
}
}  // namespace platform
