#include "platform/files/volume_bin_win32.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/process/wine_win32.h"

namespace platform {
namespace {
const wchar_t* const bin_settings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket";
const wchar_t* const explorer_policies = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

bool serial_of(const std::wstring& path, DWORD& serial) {
  const HANDLE handle =
      CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool asked = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (asked) serial = info.dwVolumeSerialNumber;
  return asked;
}

bool read_number(HKEY root, const std::wstring& key, const wchar_t* name, DWORD& value) {
  DWORD size = sizeof value;
  return RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
}

bool is_set(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD value = 0;
  return read_number(root, key, name, value) && value != 0;
}

// Wine's recycle bin is the desktop's trash folder, which takes only files of
// its own device; for any other, or when the folder cannot be made, its shell
// deletes for good. Wine tells devices apart by the volume serial.
bool environment(const char* name, std::string& value) {
  char text[4096];
  const DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
  if (length == 0 || length >= sizeof text) return false;
  value.assign(text, length);
  return true;
}

// The desktop's data folder as Wine names it for Windows programs; empty when unknown.
std::wstring wine_data_home() {
  using dos_name_of = wchar_t*(CDECL*)(const char*);
  const auto dos_name = reinterpret_cast<dos_name_of>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  std::string data_home;
  if (!environment("XDG_DATA_HOME", data_home)) {
    if (!environment("HOME", data_home)) return std::wstring();
    data_home += "/.local/share";
  }
  wchar_t* dos_home = dos_name == nullptr ? nullptr : dos_name(data_home.c_str());
  if (dos_home == nullptr) return std::wstring();
  const std::wstring home = dos_home;
  HeapFree(GetProcessHeap(), 0, dos_home);
  return home;
}

bool wine_trash_takes(const std::wstring& path) {
  static const std::wstring home = wine_data_home();
  if (home.empty()) return false;
  // The trash folder itself, or where it is yet to be made.
  const DWORD trash = GetFileAttributesW((home + L"\\Trash").c_str());
  const std::wstring folder = trash == INVALID_FILE_ATTRIBUTES ? home : home + L"\\Trash";
  const DWORD folder_attributes = GetFileAttributesW(folder.c_str());
  if (folder_attributes == INVALID_FILE_ATTRIBUTES || (folder_attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  // The folder's serial stays what it is for the run; asked once it is found.
  static DWORD trash_serial = 0;
  static bool trash_found = false;
  if (!trash_found) trash_found = serial_of(folder, trash_serial);
  DWORD file_serial = 0;
  return trash_found && serial_of(path, file_serial) && file_serial == trash_serial;
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
  if (running_under_wine() && !wine_trash_takes(path)) bin.turned_off = true;
  if (!guid.empty()) {
    if (is_set(HKEY_CURRENT_USER, settings, L"NukeOnDelete")) bin.turned_off = true;
    DWORD megabytes = 0;
    if (read_number(HKEY_CURRENT_USER, settings, L"MaxCapacity", megabytes))
      bin.room = static_cast<std::uint64_t>(megabytes) << 20;
  }
  return bin;
}
}  // namespace platform
