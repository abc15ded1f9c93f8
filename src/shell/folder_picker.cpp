#include "shell/folder_picker.h"

#include <cstring>

#include "diag/texts.h"
#include "platform/process/current_directory.h"
#include "platform/desktop/folder_dialog.h"
#include "platform/files/path_syntax.h"

std::int32_t browse_for_folder(char* buffer, std::size_t size, const char* initial_folder, const char* title,
                               unsigned flags, void* owner_window) {
  if (size == 0) return -1;
  buffer[0] = '\0';
  const int result = platform::pick_folder(buffer, size, initial_folder,
                                           title != nullptr ? title : texts::specify_directory, flags, owner_window);
  if (result != 0) return result;
  // An item without a file-system path (the computer itself, say) is no folder:
  // a lone separator would name the root of the current drive.
  if (buffer[0] == '\0') return 3;
  append_trailing_separator(buffer, size);
  return 0;
}

void append_trailing_separator(char* buffer, std::size_t size) {
  const std::size_t length = std::strlen(buffer);
  // The last byte tells: in UTF-8 no byte of a longer character is a separator's.
  if (length == 0 || buffer[length - 1] == platform::path_separator) return;
  if (length > size - 2) return;
  buffer[length] = platform::path_separator;
  buffer[length + 1] = '\0';
}

std::string current_directory() { return platform::get_current_directory(); }
