#include "platform/desktop/message_box.h"

#include <cstdio>
#include <string>

#include "platform/desktop/desktop_prompt_posix.h"

namespace platform {
namespace {
// zenity unescapes backslash sequences in its text; keep the bytes as they are.
std::string escape_backslashes(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\') escaped.push_back('\\');
    escaped.push_back(c);
  }
  return escaped;
}
}  // namespace

void show_message_box(const char* title, const char* text, const std::vector<const char*>&) {
  const std::string title_text = title;
  const std::string body_text = text;
  if (display_available()) {
    const int status = run_zenity(
        {"--info", "--no-markup", "--title=" + title_text, "--text=" + escape_backslashes(body_text)}, nullptr);
    if (status >= 0) return;
  }
  const std::string box = title_text + "\n" + body_text + "\n";
  std::string ignored;
  if (ask_terminal(box + "[OK: press Enter] ", ignored)) return;
  // Neither a display nor a terminal: standard error is where the text can still be read.
  std::fputs(box.c_str(), stderr);
  std::fflush(stderr);
}

// Names are kept as the system gives them, as zenity shows them.
void show_text_box(const char* title, const std::string& text) { show_message_box(title, text.c_str(), {}); }
}  // namespace platform
