#include "diag/message_output.h"

#include <cstdio>
#include <cstring>
#include <iostream>

#include "diag/progress_line.h"
#include "platform/files/file_stream.h"
#include "settings/run_settings.h"

const char* const run_log_name = "brulo_log.log";

std::size_t prepare_message(char* buffer, const char* format, std::va_list arguments) {
  std::memset(buffer, 0, message_buffer_size);
  // Bounded: a longer text is cut to its first 2047 bytes. The arguments are
  // never formatted again, so a '%' inside one stays as it is.
  std::vsnprintf(buffer, message_buffer_size, format, arguments);
  std::size_t length = std::strlen(buffer);
  if (length < message_buffer_size - 1) {
    if (length == 0 || buffer[length - 1] != '\n') buffer[length++] = '\n';
  } else if (buffer[length - 1] != '\n') {
    buffer[length - 1] = '\n';
  }
  return length;
}

namespace {
bool append_prepared(const char* file_name, const char* text, std::size_t length) {
  std::FILE* log = platform::open_log_for_append(file_name);
  if (log == nullptr) return false;
  std::fwrite(text, 1, length, log);
  std::fclose(log);
  return true;
}

void echo_prepared(const char* text, std::size_t length) {
  // Both may go to one terminal: the progress line must not run into the message.
  process_progress_line().erase();
  std::cout.write(text, static_cast<std::streamsize>(length));
  std::cout.put('\n');
  std::cout.flush();
}
}  // namespace

bool output_message(const char* format, ...) {
  char buffer[message_buffer_size];
  std::va_list arguments;
  va_start(arguments, format);
  const std::size_t length = prepare_message(buffer, format, arguments);
  va_end(arguments);

  // The log comes first, so a message is kept even when the echo fails.
  if (process_run_settings().output_log) append_prepared(run_log_name, buffer, length);
  echo_prepared(buffer, length);
  return true;
}

bool echo_message(const char* format, ...) {
  char buffer[message_buffer_size];
  std::va_list arguments;
  va_start(arguments, format);
  const std::size_t length = prepare_message(buffer, format, arguments);
  va_end(arguments);
  echo_prepared(buffer, length);
  return true;
}

bool append_to_log(const char* file_name, const char* format, ...) {
  char buffer[message_buffer_size];
  std::va_list arguments;
  va_start(arguments, format);
  const std::size_t length = prepare_message(buffer, format, arguments);
  va_end(arguments);
  return append_prepared(file_name, buffer, length);
}
