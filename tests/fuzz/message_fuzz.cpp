// Message preparation with the program's own formats and arbitrary arguments.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "diag/last_error_text.h"
#include "diag/message_output.h"

namespace {
std::size_t prepare(char* buffer, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const std::size_t length = prepare_message(buffer, format, arguments);
  va_end(arguments);
  return length;
}

// A prepared text is 1 to 2047 bytes, ends in a line feed and is terminated.
void check(const char* buffer, std::size_t length) {
  if (length == 0 || length >= message_buffer_size) __builtin_trap();
  if (buffer[length - 1] != '\n' || buffer[length] != '\0') __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  std::uint32_t code = 0;
  std::memcpy(&code, data, sizeof code);
  const std::uint8_t choice = data[4];
  // The rest, cut at zero bytes, gives the string arguments.
  std::vector<std::string> parts(3);
  std::size_t part = 0;
  for (std::size_t i = 5; i < size; ++i) {
    if (data[i] == 0 && part + 1 < parts.size()) {
      ++part;
      continue;
    }
    parts[part].push_back(static_cast<char>(data[i]));
  }
  const char* a = parts[0].c_str();
  const char* b = parts[1].c_str();
  const char* c = parts[2].c_str();

  char buffer[message_buffer_size];
  switch (choice % 6) {
    case 0: check(buffer, prepare(buffer, "%s", a)); break;
    case 1: check(buffer, prepare(buffer, "%s\n%s", a, b)); break;
    case 2: check(buffer, prepare(buffer, "Error Command Line = %s", a)); break;
    case 3: check(buffer, prepare(buffer, "Exception Message = %s", a)); break;
    case 4: check(buffer, prepare(buffer, "%s:\n%s\n", a, b)); break;
    default: {
      last_error_text details;
      details.update(code, true);
      check(buffer, prepare(buffer, "GetLastError ID = %d\nLastError details=%s\nMessage=%s",
                            static_cast<std::int32_t>(code), details.text(), c));
    }
  }
  return 0;
}
