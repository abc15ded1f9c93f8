#pragma once

namespace platform {
// Shows `text` under `title` with one OK button and returns once the user has
// closed it; returns at once when it cannot be shown. Both are written as
// messages are: the program's own texts in the platform's character set (code
// page 932 on Windows), names and the system's texts as they are shown.
void show_message_box(const char* title, const char* text);
}  // namespace platform
