#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "platform/files/file_identity.h"
#include "platform/files/file_status.h"
#include "platform/files/tree_directory.h"

namespace platform {
// The handle of the entry's directory, null without one, and its full path.
inline void* directory_handle(const tree_entry& entry) {
  return entry.directory == nullptr ? nullptr : entry.directory->state().handle;
}
inline const std::string& directory_full_path(const tree_entry& entry) { return entry.directory->state().base; }

// Opens `name` in the directory `directory` holds, by that name exactly and
// relative to the handle, never along a path: a folder on the way swapped for
// a junction or link since cannot send the open elsewhere. `options` are
// NtCreateFile's (FILE_DIRECTORY_FILE, FILE_OPEN_REPARSE_POINT, ...). Null,
// with the last error set to the failure's Windows code, when it cannot be opened.
HANDLE open_in_directory(HANDLE directory, const std::string& name, ACCESS_MASK access, ULONG options);

// The Windows code for an open that failed with the NT status `status`. A
// name pending deletion (its last handle still open elsewhere) is gone: it
// can never be opened again, and Win32 would call it access denied.
std::uint32_t open_failure_code(long status);

// The Windows code for a path open that failed with `code` while the thread's
// last NT status was `last_status`. That status is the open's own only where
// `code` is what it maps to: a failure before the system call leaves an older one.
std::uint32_t path_open_failure_code(std::uint32_t code, long last_status);

// Opens a whole path in its call form to ask what it names; null, with the
// last error set, when it cannot. `flags` as CreateFileW's.
HANDLE open_by_path(const std::wstring& path, DWORD access, DWORD flags);

// The volume serial and file id of what the handle holds, as far as the
// volume gives one: see identity_from.
bool identity_of(HANDLE handle, file_identity& id);

// What a file id read from a volume is worth. Trusted alone only where the
// volume opens files by id (`lasting_ids`) and it is not 0; else a file is
// told by its id, size and last write together, and a directory is not told
// at all (unknown), for ids a FAT volume reuses or a server gives every entry
// alike must not make two folders one.
file_identity identity_from(std::uint64_t volume, std::uint64_t low, std::uint64_t high, bool lasting_ids,
                            bool directory, std::uint64_t size, std::int64_t written);

// What a volume answers once for all its files, asked once per volume: known
// by its serial, but never kept for a serial of 0, which some redirectors
// give every share alike.
class per_volume_answer {
 public:
  bool get(std::uint64_t serial, const std::function<bool()>& ask);

 private:
  std::mutex guard_;
  std::map<std::uint64_t, bool> known_;
};

// The status of what the handle holds, and its attributes.
bool status_of(HANDLE handle, file_status& status, DWORD& attributes);

// How a file is marked for deletion: with POSIX semantics, which takes the
// name away at once, or the classic way, which leaves it until the last
// handle closes (the only one some file systems and older systems have).
enum class disposition_form { posix, classic };
// Marks the file through `set`, which returns the error code of one form:
// POSIX semantics first, the classic form where the file system lacks them.
// Never past a read-only attribute. The error code, success when marked.
std::uint32_t mark_for_deletion(const std::function<std::uint32_t(disposition_form)>& set);
// The same on the file the handle holds, opened with DELETE access.
bool mark_for_deletion(HANDLE handle);

// Whether an entry with these attributes and reparse tag leads elsewhere: a
// name surrogate (symbolic link, junction, mount point), or a reparse point
// whose tag is not told (0). Other tags (cloud files, deduplication) are
// files and folders like any other.
bool leads_elsewhere(DWORD attributes, DWORD reparse_tag);
// The same for what the handle holds, whose attributes are known.
bool leads_elsewhere(HANDLE handle, DWORD attributes);
// Whether a file's data is not on this computer: recalled on open or on
// access (a cloud file), or offline. Reading it would fetch it.
bool has_data_elsewhere(DWORD attributes);
// What a listing's entry with these attributes and reparse tag is.
entry_kind listed_kind(DWORD attributes, DWORD reparse_tag);

// The path the system gives for what the handle holds, every link on the way
// resolved ("\\?\C:\...", "\\?\UNC\server\share\..."); empty when it gives none.
std::wstring final_path_of(HANDLE handle);

// Whether the handle, opened as `name` relative to `directory`, holds another
// file than that entry. Under Wine a Unix link to a file opens as the file it
// names, even with FILE_OPEN_REPARSE_POINT, and shows no reparse point: only
// the names tell, the opened file's against the directory's and the
// name, as the system keeps them. Windows opens a link itself, a name
// surrogate that is never followed.
bool opened_through_a_link(HANDLE opened, HANDLE directory, const std::string& name);

// Whether a directory whose name on its volume is `name_on_volume` and whose
// final path is `final_path` is a volume's top: "\" on a local volume, and
// on a share its root, whose name holds the server and the share.
bool names_volume_top(const std::wstring& name_on_volume, const std::wstring& final_path);

// Closes the handle, leaving the last error as it was.
void close_handle(HANDLE handle);
}  // namespace platform
