#pragma once

namespace platform {
// Shows `text` under `title` (both code page 932) with one OK button and
// returns once the user has closed it; returns at once when it cannot be shown.
void show_message_box(const char* title, const char* text);
}  // namespace platform
