#pragma once

// Formats into a 1024-byte buffer (at most 1023 bytes of text) and shows it in
// a message box under `title`; returns when the user has closed it.
void message_box_format(const char* title, const char* format, ...) __attribute__((format(printf, 2, 3)));
