#include "platform/files/file_removal.h"

#include <windows.h>
#include <winternl.h>

#include <new>

#include "platform/files/handle_files_win32.h"
#include "platform/files/path_syntax.h"
#include "platform/files/recycle_bin_win32.h"
#include "platform/process/wine_win32.h"
#include "platform/text/error_codes.h"
#include "platform/text/name_case.h"
#include "platform/text/wide_text_win32.h"

namespace platform {
namespace {
bool same_file(HANDLE handle, const file_identity& judged) {
  file_identity id;
  return identity_of(handle, id) && id == judged;
}

// Whether the entry held open (a link itself, not what it names) still leads
// to the file that was judged: itself, or for a link the file it names.
bool leads_to_judged(const tree_entry& entry, HANDLE own, const file_identity& judged) {
  if (!judged.known || same_file(own, judged)) return true;
  HANDLE target = open_in_directory(static_cast<HANDLE>(directory_handle(entry)), entry.name, FILE_READ_ATTRIBUTES, 0);
  if (target == nullptr) return false;
  const bool same = same_file(target, judged);
  close_handle(target);
  return same;
}

constexpr std::uint32_t names_another = 0xFFFFFFFFu;

// Whether `path` names, right now, what `held` holds, as far as the volume
// tells (a folder on a volume without lasting ids cannot be told): success;
// names_another; else why it could not be opened or asked about.
std::uint32_t path_names(const std::wstring& path, HANDLE held, DWORD flags) {
  HANDLE by_path = open_by_path(path, FILE_READ_ATTRIBUTES, flags);
  if (by_path == nullptr) return GetLastError();
  file_identity named, own;
  std::uint32_t code = error_code::success;
  // A device has no identity to ask.
  if (!identity_of(by_path, named) || !identity_of(held, own))
    code = error_code::invalid_name;
  else if (own.known && !(named == own))
    code = names_another;
  close_handle(by_path);
  return code;
}

// The entry, a link itself, opened relative to its directory and checked to
// lead to the judged file; null with the last error set, file_not_found when
// another file has taken its name, cant_resolve_filename when what opened is
// not the entry itself but the file a link names (Wine), which stays.
HANDLE open_judged(const tree_entry& entry, ACCESS_MASK access, const file_identity& judged) {
  const HANDLE directory = static_cast<HANDLE>(directory_handle(entry));
  HANDLE handle = open_in_directory(directory, entry.name, access, FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT);
  if (handle == nullptr) return handle;
  if (opened_through_a_link(handle, directory, entry.name)) {
    close_handle(handle);
    SetLastError(error_code::cant_resolve_filename);
    return nullptr;
  }
  if (leads_to_judged(entry, handle, judged)) return handle;
  close_handle(handle);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

// Whether a name on the path ends in a dot or a space, which the shell's own
// resolution of the path would drop, naming another file.
bool has_a_name_the_shell_trims(const std::wstring& path) {
  for (std::size_t at = 0; at < path.size(); ++at)
    if ((path[at] == L'.' || path[at] == L' ') && (at + 1 == path.size() || path[at + 1] == L'\\')) return true;
  return false;
}

// Whether a file name is one the system's path syntax takes for a device
// (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 and with superscript digits),
// whatever its extension and blanks: a path ending in it names the device.
bool is_device_name(const std::wstring& name) {
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  std::u16string word;
  for (const wchar_t c : base) word.push_back(static_cast<char16_t>(folded_case(c)));
  if (word == u"con" || word == u"prn" || word == u"aux" || word == u"nul") return true;
  if (word.size() != 4 || (word.compare(0, 3, u"com") != 0 && word.compare(0, 3, u"lpt") != 0)) return false;
  const char16_t digit = word[3];
  return (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
}

std::string full_path_of(const tree_entry& entry) {
  std::string path = directory_full_path(entry);
  append_name(path, entry.name);
  return path;
}
}  // namespace

bool delete_file(const tree_entry& entry, const file_identity& judged) {
  if (entry.directory == nullptr) return DeleteFileW(call_path(entry.path).c_str()) != 0;
  HANDLE handle = open_judged(entry, DELETE | FILE_READ_ATTRIBUTES, judged);
  if (handle == nullptr) return false;
  // Wine carries out the deletion at the close by the file's path: that path
  // must still name this file. Windows deletes what the handle holds, and
  // needs no second open (a round trip on a share, a path that may pass
  // what one call takes, a drive mapping changed since).
  if (running_under_wine() &&
      path_names(exact_path(to_wide(full_path_of(entry))), handle, FILE_FLAG_OPEN_REPARSE_POINT) !=
          error_code::success) {
    close_handle(handle);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  const bool marked = mark_for_deletion(handle);
  close_handle(handle);
  return marked;
}

namespace {
removal_result recycle(const tree_entry& entry, const file_identity& judged) {
  // The shell takes a full path: no "\\?\" path and no longer one, which it
  // would delete for good in place of recycling; nor a name ending in a dot
  // or a space, which it would take for another's.
  std::wstring list = entry.directory == nullptr ? full_path(entry.path) : to_wide(full_path_of(entry));
  if (list.empty()) list = to_wide(entry.path);
  if (list.size() >= MAX_PATH) return {removal_outcome::refused, error_code::filename_too_long};
  std::uint64_t size = 0;  // what the bin must have room for; 0 when not known
  if (entry.directory != nullptr) {
    // The shell opens by path: a name it would take for another's, or for a
    // device, does not reach the file.
    if (has_a_name_the_shell_trims(list) || is_device_name(to_wide(entry.name)))
      return {removal_outcome::refused, error_code::invalid_name};
    // The shell resolves the path again: just before, its folder must still
    // be the directory held and the file the one judged.
    const HANDLE directory = static_cast<HANDLE>(directory_handle(entry));
    HANDLE file = open_judged(entry, FILE_READ_ATTRIBUTES, judged);
    if (file == nullptr) {
      const std::uint32_t code = GetLastError();
      const bool gone = code == error_code::file_not_found || code == error_code::path_not_found;
      return {gone ? removal_outcome::gone : removal_outcome::refused, code};
    }
    file_status status;
    DWORD attributes = 0;
    if (status_of(file, status, attributes)) size = status.size;
    std::uint32_t code = path_names(to_wide(directory_full_path(entry)), directory, 0);
    if (code == error_code::success) code = path_names(list, file, FILE_FLAG_OPEN_REPARSE_POINT);
    close_handle(file);
    // Another file in its place: the one judged is gone. A path that cannot
    // be opened is a refusal, unless the name has meanwhile gone from the
    // folder held: the folder's handle tells, not the path.
    if (code == names_another) return {removal_outcome::gone, error_code::file_not_found};
    if (code == error_code::file_not_found || code == error_code::path_not_found) {
      HANDLE again = open_in_directory(directory, entry.name, FILE_READ_ATTRIBUTES, FILE_OPEN_REPARSE_POINT);
      if (again == nullptr) return {removal_outcome::gone, error_code::file_not_found};
      close_handle(again);
    }
    if (code != error_code::success) return {removal_outcome::refused, code};
  }
  return recycle_file(list, size, system_recycle_calls());
}
}  // namespace

removal_result move_to_recycle_bin(const tree_entry& entry, const file_identity& judged) {
  try {
    return recycle(entry, judged);
  } catch (const std::bad_alloc&) {
    return {removal_outcome::failed, error_code::not_enough_memory};
  }
}
}  // namespace platform
