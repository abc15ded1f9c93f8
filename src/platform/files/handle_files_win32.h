#pragma once
#include <windows.h>

#include <string>

#include "platform/files/file_identity.h"
#include "platform/files/file_status.h"

namespace platform {
// Opens `name` in the directory `directory` holds, by that name exactly and
// relative to the handle, never along a path: a folder on the way swapped for
// a junction or link since cannot send the open elsewhere. `options` are
// NtCreateFile's (FILE_DIRECTORY_FILE, FILE_OPEN_REPARSE_POINT, ...). Null,
// with the last error set to the failure's Windows code, when it cannot be opened.
HANDLE open_in_directory(HANDLE directory, const std::string& name, ACCESS_MASK access, ULONG options);

// Opens a whole path in its call form to ask what it names; null, with the
// last error set, when it cannot. `flags` as CreateFileW's.
HANDLE open_by_path(const std::wstring& path, DWORD access, DWORD flags);

// The volume serial and file id of what the handle holds.
bool identity_of(HANDLE handle, file_identity& id);

// The status of what the handle holds, and its attributes.
bool status_of(HANDLE handle, file_status& status, DWORD& attributes);

// Closes the handle, leaving the last error as it was.
void close_handle(HANDLE handle);
}  // namespace platform
