#include "diag/message_box_format.h"

#include <cstdarg>
#include <cstdio>

#include "diag/texts.h"
#include "platform/desktop/message_box.h"

void message_box_format(const char* title, const char* format, ...) {
  char text[1024] = {};
  std::va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  platform::show_message_box(title, text, texts::all());
}
