#include "platform/files/handle_files_win32.h"

#include <winternl.h>

#include <cstring>
#include <vector>

#include "platform/process/wine_win32.h"
#include "platform/text/error_codes.h"
#include "platform/text/wide_text_win32.h"

extern "C" NTSTATUS NTAPI RtlGetLastNtStatus(void);

namespace platform {
namespace {
// A file time counts 100 ns steps from 1601; seconds from 1970 follow.
std::int64_t unix_seconds(LONGLONG ticks) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(ticks) / 10000000u) - 11644473600LL;
}

// FILE_ID_INFO and its class, from Windows 8 on: newer than the headers' target.
struct file_id_info {
  ULONGLONG volume_serial;
  BYTE id[16];
};
constexpr auto file_id_class = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

// FILE_DISPOSITION_INFO_EX and its class, from Windows 10 1709 on.
constexpr auto disposition_ex_class = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr ULONG disposition_delete = 0x1;
constexpr ULONG disposition_posix_semantics = 0x2;

// Whether the ids of the volume holding `handle` name one file for as long
// as it lives: where the volume opens files by id. Under Wine they are the
// Unix inode numbers, which do; Wine does not say so. Asked once per volume.
bool has_lasting_ids(HANDLE handle, std::uint64_t volume) {
  if (running_under_wine()) return true;
  static per_volume_answer lasting;
  return lasting.get(volume, [handle] {
    DWORD flags = 0;
    return GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_SUPPORTS_OPEN_BY_FILE_ID) != 0;
  });
}

constexpr DWORD recall_on_open = 0x00040000;
constexpr DWORD recall_on_data_access = 0x00400000;

constexpr long status_delete_pending = static_cast<long>(0xC0000056);

// The name the system keeps for what the handle holds, as Wine has it every
// link resolved, at any length (Wine's final path stops at MAX_PATH); empty
// when it gives none.
std::wstring object_name_of(HANDLE handle) {
  const DWORD saved = GetLastError();
  std::vector<char> buffer(1024);
  std::wstring name;
  for (int tries = 0; tries < 3 && name.empty(); ++tries) {
    ULONG needed = 0;
    if (NtQueryObject(handle, ObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) >= 0) {
      const auto* info = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data());
      name.assign(info->Name.Buffer, info->Name.Length / sizeof(wchar_t));
      break;
    }
    buffer.resize(needed > buffer.size() ? needed : buffer.size() * 4);
  }
  SetLastError(saved);
  return name;
}
}  // namespace

HANDLE open_in_directory(HANDLE directory, const std::string& name, ACCESS_MASK access, ULONG options) {
  std::wstring wide = to_wide(name);
  UNICODE_STRING relative;
  relative.Buffer = &wide[0];
  relative.Length = relative.MaximumLength = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &relative, 0, directory, nullptr);
  IO_STATUS_BLOCK io;
  HANDLE handle = nullptr;
  // Shared as the path-based opens were: another program may read, write or
  // delete the file meanwhile.
  const NTSTATUS status =
      NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, 0,
                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                   options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT, nullptr, 0);
  if (status >= 0) return handle;
  SetLastError(open_failure_code(status));
  return nullptr;
}

std::uint32_t open_failure_code(long status) {
  if (status == status_delete_pending) return error_code::file_not_found;
  return RtlNtStatusToDosError(status);
}

std::uint32_t path_open_failure_code(std::uint32_t code, long last_status) {
  return code == RtlNtStatusToDosError(last_status) ? open_failure_code(last_status) : code;
}

HANDLE open_by_path(const std::wstring& path, DWORD access, DWORD flags) {
  const HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle != INVALID_HANDLE_VALUE) return handle;
  SetLastError(path_open_failure_code(GetLastError(), RtlGetLastNtStatus()));
  return nullptr;
}

bool per_volume_answer::get(std::uint64_t serial, const std::function<bool()>& ask) {
  if (serial == 0) return ask();
  {
    std::lock_guard<std::mutex> lock(guard_);
    const auto found = known_.find(serial);
    if (found != known_.end()) return found->second;
  }
  const bool answer = ask();
  std::lock_guard<std::mutex> lock(guard_);
  known_[serial] = answer;
  return answer;
}

file_identity identity_from(std::uint64_t volume, std::uint64_t low, std::uint64_t high, bool lasting_ids,
                            bool directory, std::uint64_t size, std::int64_t written) {
  if (lasting_ids && (low != 0 || high != 0)) return file_identity{volume, low, true, high};
  if (directory) return file_identity();
  return file_identity{volume, low, true, high, size, written};
}

bool identity_of(HANDLE handle, file_identity& id) {
  const DWORD saved = GetLastError();
  // The 128-bit id where the system has it (from Windows 8 on); the 64-bit
  // index is not unique on ReFS. Where that is all it takes, one call.
  file_id_info wide_id;
  std::uint64_t halves[2] = {0, 0};
  std::uint64_t volume = 0;
  const bool wide = GetFileInformationByHandleEx(handle, file_id_class, &wide_id, sizeof wide_id) != 0;
  if (wide) {
    std::memcpy(halves, wide_id.id, sizeof halves);
    volume = wide_id.volume_serial;
    if ((halves[0] != 0 || halves[1] != 0) && has_lasting_ids(handle, volume)) {
      id = file_identity{volume, halves[0], true, halves[1]};
      SetLastError(saved);
      return true;
    }
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) {
    SetLastError(saved);
    return false;
  }
  if (!wide) {
    halves[0] = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    volume = info.dwVolumeSerialNumber;
  }
  const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  const std::int64_t written =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                info.ftLastWriteTime.dwLowDateTime);
  id = identity_from(volume, halves[0], halves[1], has_lasting_ids(handle, volume),
                     (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, size, written);
  SetLastError(saved);
  return true;
}

bool status_of(HANDLE handle, file_status& status, DWORD& attributes) {
  // Only what the open file tells by itself, never through its name, which
  // may be changing meanwhile (Wine looks up some classes by path).
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard))
    return false;
  attributes = basic.FileAttributes;
  status.type = standard.Directory ? file_status::kind::directory : file_status::kind::regular;
  status.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
  status.last_write = unix_seconds(basic.LastWriteTime.QuadPart);
  status.links = standard.NumberOfLinks;
  return identity_of(handle, status.identity);
}

std::uint32_t mark_for_deletion(const std::function<std::uint32_t(disposition_form)>& set) {
  const std::uint32_t posix = set(disposition_form::posix);
  // A file system without them (FAT, a share) or an older system refuses the class or its flags.
  if (posix != error_code::invalid_parameter && posix != error_code::invalid_function &&
      posix != error_code::not_supported)
    return posix;
  return set(disposition_form::classic);
}

bool mark_for_deletion(HANDLE handle) {
  // A read-only file is refused with access denied either way; one held
  // open without delete sharing already at the open, with a sharing violation.
  const std::uint32_t code = mark_for_deletion([handle](disposition_form form) -> std::uint32_t {
    BOOL marked;
    if (form == disposition_form::posix) {
      ULONG flags = disposition_delete | disposition_posix_semantics;
      marked = SetFileInformationByHandle(handle, disposition_ex_class, &flags, sizeof flags);
    } else {
      FILE_DISPOSITION_INFO disposition{TRUE};
      marked = SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
    }
    return marked ? error_code::success : GetLastError();
  });
  SetLastError(code);
  return code == error_code::success;
}

bool leads_elsewhere(DWORD attributes, DWORD reparse_tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (reparse_tag == 0 || IsReparseTagNameSurrogate(reparse_tag));
}

bool leads_elsewhere(HANDLE handle, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  const DWORD saved = GetLastError();
  FILE_ATTRIBUTE_TAG_INFO tag{};
  const bool asked = GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) != 0;
  SetLastError(saved);
  return leads_elsewhere(attributes, asked ? tag.ReparseTag : 0);
}

bool has_data_elsewhere(DWORD attributes) {
  return (attributes & (recall_on_open | recall_on_data_access | FILE_ATTRIBUTE_OFFLINE)) != 0;
}

entry_kind listed_kind(DWORD attributes, DWORD reparse_tag) {
  if (leads_elsewhere(attributes, reparse_tag)) return entry_kind::other;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return entry_kind::directory;
  return has_data_elsewhere(attributes) ? entry_kind::data_elsewhere : entry_kind::regular;
}

std::wstring final_path_of(HANDLE handle) {
  const DWORD saved = GetLastError();
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
  if (length >= path.size()) {
    path.resize(length);
    length = GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
  }
  path.resize(length < path.size() ? length : 0);
  SetLastError(saved);
  return path;
}

bool opened_through_a_link(HANDLE opened, HANDLE directory, const std::string& name) {
  if (!running_under_wine()) return false;
  std::wstring expected = object_name_of(directory);
  const std::wstring found = object_name_of(opened);
  // What cannot be named cannot be told from a link.
  if (expected.empty() || found.empty()) return true;
  if (expected.back() != L'\\') expected += L'\\';
  expected += to_wide(name);
  return CompareStringOrdinal(found.c_str(), static_cast<int>(found.size()), expected.c_str(),
                              static_cast<int>(expected.size()), TRUE) != CSTR_EQUAL;
}

bool names_volume_top(const std::wstring& name_on_volume, const std::wstring& final_path) {
  const std::wstring share = L"\\\\?\\UNC\\";
  if (final_path.compare(0, share.size(), share) != 0)
    return name_on_volume.size() == 1 && name_on_volume[0] == L'\\';
  // "server\share", with or without the separator after it.
  std::wstring rest = final_path.substr(share.size());
  if (!rest.empty() && rest.back() == L'\\') rest.pop_back();
  const std::size_t first = rest.find(L'\\');
  return first != std::wstring::npos && first > 0 && first + 1 < rest.size() &&
         rest.find(L'\\', first + 1) == std::wstring::npos;
}

void close_handle(HANDLE handle) {
  const DWORD saved = GetLastError();
  CloseHandle(handle);
  SetLastError(saved);
}
}  // namespace platform
