#include "platform/files/read_only_file.h"

#include <windows.h>

#include "platform/text/wide_text_win32.h"

namespace platform {
bool read_only_file::open(const tree_entry& entry, const file_status&) {
  close();
  // A read lets another program delete or move the file meanwhile: when
  // another run cannot move a file to the recycle bin, the shell deletes it
  // for good instead. A directory is refused with access denied.
  const HANDLE handle =
      CreateFileW(call_path(entry.path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  handle_ = handle;
  return true;
}

// The status comes from the path, as the open does: there is no call to spare.
bool read_only_file::open_listed(const tree_entry& entry, file_status& status) {
  return stat_entry(entry, status) && open(entry, status);
}

bool read_only_file::is_open() const { return handle_ != nullptr; }

std::size_t read_only_file::read(void* buffer, std::size_t length) {
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < length) {
    DWORD got = 0;
    // What could not be read compares as zero, as with a short file.
    if (!ReadFile(static_cast<HANDLE>(handle_), bytes + done, static_cast<DWORD>(length - done), &got, nullptr))
      break;
    if (got == 0) break;
    done += got;
  }
  return done;
}

void read_only_file::close() {
  if (handle_ == nullptr) return;
  const DWORD saved = GetLastError();
  CloseHandle(static_cast<HANDLE>(handle_));
  SetLastError(saved);
  handle_ = nullptr;
}
}  // namespace platform
