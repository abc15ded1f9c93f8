#pragma once
#include <string>
#include <vector>

namespace platform {
// Shows `text` under `title` with one OK button and returns once the user has
// closed it; returns at once when it cannot be shown. Both are written as
// messages are: the program's own texts, `own_texts` (any of which may stand
// in them), in the platform's character set (code page 932 on Windows); names
// and the system's texts as they are shown.
void show_message_box(const char* title, const char* text, const std::vector<const char*>& own_texts);

// The same for a text that holds names as the program keeps them (UTF-8)
// and none of its own texts: on Windows every name shows as it is, whatever
// the code page, where messages show what the code page holds.
void show_text_box(const char* title, const std::string& text);
}  // namespace platform
