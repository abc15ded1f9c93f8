#include "platform/files/volume_bin_win32.h"

#include <windows.h>

#include <vector>

namespace platform {
namespace {
const wchar_t* const bin_settings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket";
const wchar_t* const explorer_policies = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

bool read_number(HKEY root, const std::wstring& key, const wchar_t* name, DWORD& value) {
  DWORD size = sizeof value;
  return RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
}

bool is_set(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD value = 0;
  return read_number(root, key, name, value) && value != 0;
}

// "{GUID}" of the volume mounted at `root`, as the bin's settings are keyed; empty when it has none.
std::wstring volume_guid(const std::wstring& root) {
  wchar_t name[64];
  if (!GetVolumeNameForVolumeMountPointW(root.c_str(), name, 64)) return std::wstring();
  const std::wstring volume = name;  // "\\?\Volume{GUID}\"
  const std::size_t open = volume.find(L'{'), close = volume.find(L'}');
  return open == std::wstring::npos || close == std::wstring::npos ? std::wstring()
                                                                    : volume.substr(open, close - open + 1);
}
}  // namespace

volume_bin bin_of_volume(const std::wstring& path) {
  volume_bin bin;
  // SHFileOperation takes no "\\?\" path ("\\?\Volume{GUID}\..."): it
  // would delete the file for good. An unknown kind has no bin.
  if (path.rfind(L"\\\\?\\", 0) == 0) return bin;
  std::vector<wchar_t> root(path.size() + 2);
  if (!GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size()))) return bin;
  const std::wstring volume = root.data();
  bin.drive_type = GetDriveTypeW(volume.c_str());
  // A subst drive's device is a path: "\??\C:\dir".
  if (volume.size() == 3 && volume[1] == L':') {
    wchar_t device[MAX_PATH];
    if (QueryDosDeviceW(volume.substr(0, 2).c_str(), device, MAX_PATH) && std::wstring(device).rfind(L"\\??\\", 0) == 0)
      bin.substituted = true;
  }
  bin.turned_off = is_set(HKEY_CURRENT_USER, explorer_policies, L"NoRecycleFiles") ||
                   is_set(HKEY_LOCAL_MACHINE, explorer_policies, L"NoRecycleFiles");
  const std::wstring guid = volume_guid(volume);
  const std::wstring settings = std::wstring(bin_settings) + L"\\Volume\\" + guid;
  if (!guid.empty()) {
    if (is_set(HKEY_CURRENT_USER, settings, L"NukeOnDelete")) bin.turned_off = true;
    DWORD megabytes = 0;
    if (read_number(HKEY_CURRENT_USER, settings, L"MaxCapacity", megabytes))
      bin.room = static_cast<std::uint64_t>(megabytes) << 20;
  }
  return bin;
}
}  // namespace platform
