#include "platform/process/descriptor_limit.h"

#include <windows.h>

#include <vector>

#include "platform/process/descriptor_limit_win32.h"
#include "platform/text/wide_text_win32.h"

namespace platform {
namespace {
// Servers limit the files one client holds open, some to a few hundred;
// what a walk keeps open there stays well below.
constexpr std::size_t remote_spare = 256;
}  // namespace

std::size_t spare_descriptors() { return std::size_t{1} << 16; }

std::size_t spare_handles_on(unsigned drive_type) {
  return drive_type == DRIVE_REMOTE ? remote_spare : spare_descriptors();
}

std::size_t spare_descriptors(const std::string& root) {
  const std::wstring full = full_path(root);
  if (full.empty()) return spare_descriptors();
  std::vector<wchar_t> volume(full.size() + 2);
  if (!GetVolumePathNameW(full.c_str(), volume.data(), static_cast<DWORD>(volume.size())))
    return spare_descriptors();
  return spare_handles_on(GetDriveTypeW(volume.data()));
}

// Handles have no per-process limit to raise.
void raise_descriptor_limit() {}
void restore_descriptor_limit() {}
}  // namespace platform
