#include "platform/files/tree_directory.h"

#include <windows.h>

#include <cwchar>

#include "platform/files/path_syntax.h"
#include "platform/text/wide_text_win32.h"

namespace platform {
struct tree_directory::listing {
  HANDLE handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data{};
  bool first_pending = false;
};

// Windows has no directory-relative calls: the full path names everything.
bool tree_directory::open_root(const std::string& path) {
  close();
  path_ = path;
  base_ = preferred_form(path);
  return true;
}

bool tree_directory::open_subdirectory(const tree_directory& parent, const std::string& name) {
  close();
  base_ = parent.base_;
  append_name(base_, name);
  path_ = base_;
  return true;
}

void tree_directory::close() { close_listing(); }

void tree_directory::close_listing() {
  if (listing_ != nullptr && listing_->handle != INVALID_HANDLE_VALUE) {
    const DWORD saved = GetLastError();  // a failure being reported must survive the clean-up
    FindClose(listing_->handle);
    SetLastError(saved);
  }
  delete listing_;
  listing_ = nullptr;
}

bool tree_directory::start_listing() {
  delete listing_;
  listing_ = new listing;
  // One listing of every entry, by long name, in large batches. No byte of a
  // UTF-8 character after its first is ever a separator's.
  const char last = path_.empty() ? '\0' : path_.back();
  const std::string query = path_ + (last == '\\' || last == '/' || last == ':' ? "*" : "\\*");
  listing_->handle = FindFirstFileExW(call_path(query).c_str(), FindExInfoBasic, &listing_->data,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (listing_->handle != INVALID_HANDLE_VALUE) {
    listing_->first_pending = true;
    return true;
  }
  // A volume root without entries has no "." either: that is an empty listing.
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
}

tree_directory::step tree_directory::next_entry(std::string& name, entry_kind& kind) {
  for (;;) {
    if (listing_->handle == INVALID_HANDLE_VALUE) return step::end;
    if (listing_->first_pending) {
      listing_->first_pending = false;
    } else if (!FindNextFileW(listing_->handle, &listing_->data)) {
      if (GetLastError() == ERROR_NO_MORE_FILES) return step::end;
      return step::listing_failed;
    }
    const wchar_t* entry = listing_->data.cFileName;
    if (entry[0] == L'.' && (entry[1] == L'\0' || (entry[1] == L'.' && entry[2] == L'\0'))) continue;
    name = from_wide(entry, wcslen(entry));
    // Junctions, directory links and mount points lead out of the tree.
    const DWORD attributes = listing_->data.dwFileAttributes;
    const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool reparse_point = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    kind = reparse_point ? entry_kind::other : directory ? entry_kind::directory : entry_kind::regular;
    return step::entry;
  }
}

// Windows keeps no such count per thread.
std::int64_t blocks_read() { return -1; }

void tree_directory::warm_entry(const std::string& name) const {
  const DWORD saved = GetLastError();
  std::string path = base_;
  append_name(path, name);
  const HANDLE file = CreateFileW(call_path(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char start[64];
    DWORD got = 0;
    ReadFile(file, start, sizeof start, &got, nullptr);
    CloseHandle(file);
  }
  SetLastError(saved);
}

// The walk never enters a reparse point, so it cannot meet a loop; and on
// ReFS, Dev Drive and some redirectors two folders can report one file index.
bool tree_directory::get_identity(file_identity&) const { return false; }
}  // namespace platform
