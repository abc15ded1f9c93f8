#include "platform/desktop/folder_dialog.h"

#include <cstring>
#include <string>

#include "platform/desktop/desktop_prompt_posix.h"

namespace platform {
namespace {
int store_folder(const std::string& folder, char* buffer, std::size_t size) {
  if (folder.empty()) return 3;
  // A path the buffer cannot hold whole is no answer: a cut path names another folder.
  if (folder.size() + 1 > size) return 3;
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return 0;
}
}  // namespace

// The initial folder, flags and owner window belong to the Windows dialog; zenity
// starts in the working directory and always offers a path box (Ctrl+L).
int pick_folder(char* buffer, std::size_t size, const char*, const char* title, unsigned, void*) {
  buffer[0] = '\0';
  const std::string title_text = title;
  if (display_available()) {
    std::string chosen;
    const int status = run_zenity({"--file-selection", "--directory", "--title=" + title_text}, &chosen);
    if (status >= 0) {
      if (status != 0) return 3;
      if (!chosen.empty() && chosen.back() == '\n') chosen.pop_back();
      return store_folder(chosen, buffer, size);
    }
  }
  std::string typed;
  // The prompt alone does not say that the answer is cleaned at once.
  if (!ask_terminal("brulo: no folder was named. Type a folder to clean now (its build outputs are removed at once),\n"
                    "or press Enter to stop. To see first what would go: brulo -dryrun -f FOLDER\n" +
                        title_text + ": ",
                    typed))
    return 3;
  if (typed.empty()) tell_terminal("brulo: nothing was cleaned\n");
  return store_folder(typed, buffer, size);
}
}  // namespace platform
