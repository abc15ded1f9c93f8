#include "platform/files/read_only_file.h"

#include <windows.h>
#include <winternl.h>

#include "platform/files/handle_files_win32.h"
#include "platform/text/error_codes.h"
#include "platform/text/wide_text_win32.h"

namespace platform {
namespace {
// A read lets another program delete or move the file meanwhile: when
// another run cannot move a file to the recycle bin, the shell deletes it
// for good instead. A directory is refused with access denied.
HANDLE open_for_reading(const tree_entry& entry, ULONG options) {
  if (entry.directory == nullptr) return open_by_path(call_path(entry.path), GENERIC_READ, 0);
  return open_in_directory(static_cast<HANDLE>(directory_handle(entry)), entry.name, GENERIC_READ,
                           options | FILE_NON_DIRECTORY_FILE);
}
}  // namespace

bool read_only_file::open(const tree_entry& entry, const file_status& expected) {
  close();
  state_.handle = open_for_reading(entry, 0);
  if (state_.handle == nullptr) return false;
  file_identity opened;
  file_status status;
  DWORD attributes = 0;
  const bool asked = status_of(static_cast<HANDLE>(state_.handle), status, attributes);
  // A directory opened by its path (which needs the backup flag) is no file.
  if (entry.directory == nullptr && asked && status.type == file_status::kind::directory) {
    close();
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (asked && has_data_elsewhere(attributes)) {
    close();
    SetLastError(error_code::file_offline);
    return false;
  }
  // Swapped since its status was asked: the file asked about is gone.
  if (expected.identity.known && identity_of(static_cast<HANDLE>(state_.handle), opened) && !(opened == expected.identity)) {
    close();
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  return true;
}

bool read_only_file::open_listed(const tree_entry& entry, file_status& status) {
  if (entry.directory == nullptr) return stat_entry(entry, status) && open(entry, status);
  close();
  state_.handle = open_for_reading(entry, FILE_OPEN_REPARSE_POINT);
  if (state_.handle == nullptr) {
    // Listed as a plain file, now a folder: no more than a device is it what was listed.
    if (GetLastError() == ERROR_ACCESS_DENIED) {
      const HANDLE now = open_in_directory(static_cast<HANDLE>(directory_handle(entry)), entry.name,
                                           FILE_READ_ATTRIBUTES, FILE_OPEN_REPARSE_POINT);
      file_status found;
      DWORD found_attributes = 0;
      const bool folder = now != nullptr && status_of(now, found, found_attributes) &&
                          found.type == file_status::kind::directory;
      if (now != nullptr) close_handle(now);
      SetLastError(folder ? ERROR_BAD_FILE_TYPE : ERROR_ACCESS_DENIED);
    }
    return false;
  }
  DWORD attributes = 0;
  const bool asked = status_of(static_cast<HANDLE>(state_.handle), status, attributes);
  if (asked && !leads_elsewhere(static_cast<HANDLE>(state_.handle), attributes) && !has_data_elsewhere(attributes) &&
      !opened_through_a_link(static_cast<HANDLE>(state_.handle), static_cast<HANDLE>(directory_handle(entry)), entry.name))
    return true;
  close();
  // A link put in its place since it was listed is not read through here,
  // nor is a file whose data is elsewhere read at all.
  if (asked) SetLastError(has_data_elsewhere(attributes) ? error_code::file_offline : ERROR_CANT_RESOLVE_FILENAME);
  return false;
}

bool read_only_file::is_open() const { return state_.handle != nullptr; }

std::size_t read_only_file::read(void* buffer, std::size_t length) {
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  read_error_ = 0;
  while (done < length) {
    DWORD got = 0;
    // What could not be read compares as zero, as with a short file.
    if (!ReadFile(static_cast<HANDLE>(state_.handle), bytes + done, static_cast<DWORD>(length - done), &got, nullptr)) {
      read_error_ = GetLastError();
      break;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

void read_only_file::close() {
  if (state_.handle == nullptr) return;
  close_handle(static_cast<HANDLE>(state_.handle));
  state_.handle = nullptr;
}
}  // namespace platform
