#include "platform/files/tree_directory.h"

#include <windows.h>
#include <winternl.h>

#include "platform/files/handle_files_win32.h"
#include "platform/files/path_syntax.h"
#include "platform/text/wide_text_win32.h"

namespace platform {
namespace {
constexpr ACCESS_MASK listing_access = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;

HANDLE held(void* handle) { return static_cast<HANDLE>(handle); }
}  // namespace

// Entries come in large batches straight from the open directory.
struct tree_directory::listing {
  static constexpr std::size_t buffer_size = 64 * 1024;
  alignas(8) char buffer[buffer_size];
  std::size_t offset = 0;
  bool filled = false;
  bool ended = false;
};

bool tree_directory::open_root(const std::string& path) {
  close();
  // Made absolute once: everything below is reached from the handle, and
  // the recycle bin takes the root's full form and the names as listed.
  const std::wstring full = full_path(path);
  if (full.empty()) return false;
  // The root itself may be a link, as the tree's name for a folder elsewhere.
  HANDLE handle = open_by_path(exact_path(full), listing_access, 0);
  if (handle == nullptr) {
    // As a listing of a missing folder always reported it.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  file_status status;
  DWORD attributes = 0;
  const bool asked = status_of(handle, status, attributes);
  if (!asked || status.type != file_status::kind::directory) {
    if (asked) SetLastError(ERROR_DIRECTORY);
    close_handle(handle);
    return false;
  }
  state_.handle = handle;
  state_.base = from_wide(full);
  return true;
}

bool tree_directory::open_subdirectory(const tree_directory& parent, const std::string& name) {
  close();
  HANDLE handle = open_in_directory(held(parent.state_.handle), name, listing_access,
                                    FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT);
  if (handle == nullptr) return false;
  // A junction, directory link or mount point put in its place leads out of
  // the tree: the folder listed is gone.
  file_status status;
  DWORD attributes = 0;
  const bool asked = status_of(handle, status, attributes);
  if (!asked || leads_elsewhere(handle, attributes)) {
    if (asked) SetLastError(ERROR_PATH_NOT_FOUND);
    close_handle(handle);
    return false;
  }
  state_.handle = handle;
  state_.base = parent.state_.base;
  append_name(state_.base, name);
  return true;
}

// A handle-relative open refuses "..", and the path kept would not be the parent's.
bool tree_directory::opens_parent() { return false; }

void tree_directory::close() {
  close_listing();
  if (state_.handle == nullptr) return;
  close_handle(held(state_.handle));  // a failure being reported must survive the clean-up
  state_.handle = nullptr;
}

void tree_directory::close_listing() {
  delete listing_;
  listing_ = nullptr;
}

bool tree_directory::start_listing() {
  if (state_.handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  delete listing_;
  listing_ = new listing;
  return true;
}

tree_directory::step tree_directory::next_entry(std::string& name, entry_kind& kind) {
  for (;;) {
    if (listing_->ended) return step::end;
    if (!listing_->filled) {
      if (!GetFileInformationByHandleEx(held(state_.handle), FileFullDirectoryInfo, listing_->buffer,
                                        listing::buffer_size)) {
        // A volume root without entries has no "." either: that is an empty listing.
        if (GetLastError() != ERROR_NO_MORE_FILES && GetLastError() != ERROR_FILE_NOT_FOUND)
          return step::listing_failed;
        listing_->ended = true;
        return step::end;
      }
      listing_->filled = true;
      listing_->offset = 0;
    }
    const auto* record = reinterpret_cast<const FILE_FULL_DIR_INFO*>(listing_->buffer + listing_->offset);
    if (record->NextEntryOffset == 0)
      listing_->filled = false;
    else
      listing_->offset += record->NextEntryOffset;
    const wchar_t* entry = record->FileName;
    const std::size_t length = record->FileNameLength / sizeof(wchar_t);
    if (entry[0] == L'.' && (length == 1 || (length == 2 && entry[1] == L'.'))) continue;
    name = from_wide(entry, length);
    // Junctions, directory links and mount points lead out of the tree. A
    // reparse point's tag is where its extended attributes' size would be.
    kind = listed_kind(record->FileAttributes, record->EaSize);
    return step::entry;
  }
}

// Windows keeps no such count per thread.
std::int64_t blocks_read() { return -1; }

void tree_directory::warm_entry(const std::string& name) const {
  const DWORD saved = GetLastError();
  HANDLE file = open_in_directory(held(state_.handle), name, FILE_READ_DATA, FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT);
  // Under Wine a link to a file opens as the file it names: that is not read here.
  if (file != nullptr && !opened_through_a_link(file, held(state_.handle), name)) {
    char start[64];
    DWORD got = 0;
    ReadFile(file, start, sizeof start, &got, nullptr);
  }
  if (file != nullptr) CloseHandle(file);
  SetLastError(saved);
}

bool tree_directory::get_identity(file_identity& id) const { return identity_of(held(state_.handle), id); }

bool tree_directory::names_directory(const std::string& name, const file_identity& identity) const {
  tree_directory named;
  file_identity found;
  if (!named.open_subdirectory(*this, name)) return false;
  if (named.get_identity(found) && found == identity) return true;
  SetLastError(ERROR_PATH_NOT_FOUND);  // another entry under the name: the directory is not there
  return false;
}
}  // namespace platform
