#include "platform/desktop/message_box.h"

#include <windows.h>

#include <string>

#include "platform/text/wide_text_win32.h"

namespace platform {
void show_message_box(const char* title, const char* text, const std::vector<const char*>& own_texts) {
  // The A function would read the Shift_JIS texts in the system's code page.
  const std::wstring wide_title = dialog_text(title, own_texts);
  const std::wstring wide_text = dialog_text(text, own_texts);
  MessageBoxW(nullptr, wide_text.c_str(), wide_title.c_str(), MB_OK);
}

void show_text_box(const char* title, const std::string& text) {
  MessageBoxW(nullptr, to_wide(text).c_str(), to_wide(title).c_str(), MB_OK);
}
}  // namespace platform
