#include "platform/files/system_places.h"

#include <windows.h>

#include <string>

#include "platform/files/handle_files_win32.h"
#include "platform/text/name_case.h"

namespace platform {
namespace {
}  // namespace

system_places::system_places() = default;

bool system_places::anywhere(const std::string&) const { return false; }

// Every NTFS volume's root holds both, open to the system alone; the
// recycle bin's files are bound to their records there. Older systems named
// the bin RECYCLER (NTFS) and Recycled (FAT), and a drive shared with them
// may still hold one.
bool system_places::at_volume_top(const std::string& name) const {
  for (const char* place : {"System Volume Information", "$RECYCLE.BIN", "RECYCLER", "Recycled"})
    if (same_ignoring_case(name, place)) return true;
  return false;
}

// The recycle bin is found only at a volume's top.
bool system_places::is_place(const file_identity&) const { return false; }

// The name the volume gives the directory, asked of its handle: "\" at a
// local volume's top; on a share it holds the server and the share, and the
// share's root may be a volume's top (\\server\d$).
bool is_volume_top(const tree_directory& directory, const tree_directory*) {
  const tree_entry self{&directory, "", ""};
  const HANDLE handle = static_cast<HANDLE>(directory_handle(self));
  alignas(FILE_NAME_INFO) char buffer[sizeof(FILE_NAME_INFO) + MAX_PATH * sizeof(WCHAR)] = {};
  auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer);
  // A longer name does not fit, and is no volume's top.
  if (!GetFileInformationByHandleEx(handle, FileNameInfo, info, sizeof buffer)) return false;
  const std::wstring name(info->FileName, info->FileNameLength / sizeof(WCHAR));
  // Only a name of two parts can be a share's root: the final path tells.
  std::size_t parts = 0;
  for (std::size_t at = 0; at + 1 < name.size(); ++at) parts += name[at] == L'\\' ? 1 : 0;
  return names_volume_top(name, parts == 2 ? final_path_of(handle) : std::wstring());
}
}  // namespace platform
