#include "platform/files/system_places.h"

#include <windows.h>

namespace platform {
namespace {
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool same_ignoring_case(const std::string& name, const char* wanted) {
  std::size_t k = 0;
  for (; k < name.size() && wanted[k] != '\0'; ++k)
    if (upper(name[k]) != upper(wanted[k])) return false;
  return k == name.size() && wanted[k] == '\0';
}
}  // namespace

system_places::system_places() = default;

bool system_places::anywhere(const std::string&) const { return false; }

// Every NTFS volume's root holds both, open to the system alone; the
// recycle bin's files are bound to their records there.
bool system_places::at_volume_top(const std::string& name) const {
  return same_ignoring_case(name, "System Volume Information") || same_ignoring_case(name, "$RECYCLE.BIN");
}

// The recycle bin is found only at a volume's top.
bool system_places::is_place(const file_identity&) const { return false; }

// The name the volume gives the directory, asked of its handle, is "\" at its top.
bool is_volume_top(const tree_directory& directory, const tree_directory*) {
  const tree_entry self{&directory, "", ""};
  alignas(FILE_NAME_INFO) char buffer[sizeof(FILE_NAME_INFO) + 4 * sizeof(WCHAR)] = {};
  auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer);
  // A longer name does not fit, and is not the top.
  if (!GetFileInformationByHandleEx(static_cast<HANDLE>(self.directory_handle()), FileNameInfo, info, sizeof buffer))
    return false;
  return info->FileNameLength == sizeof(WCHAR) && info->FileName[0] == L'\\';
}
}  // namespace platform
