// The Linux argument list, any bytes split at NUL into arguments, through the
// forming of the command-line text and then the splitter.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "app/argument_text.h"
#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      arguments.emplace_back();
    else
      arguments.back().push_back(static_cast<char>(data[i]));
  }
  const argument_text formed = form_command_text(arguments);
  // The text reaches the splitter as a C string: a NUL would cut it short.
  if (formed.text.find('\0') != std::string::npos) __builtin_trap();
  // What is refused is one of the arguments (less a doubled hyphen-minus), or
  // the value of older or skip after its name in quotes.
  std::string refused = formed.refused_what;
  for (const std::string name : {"older\"", "skip\""}) {
    if (refused.size() > name.size() && refused.compare(0, name.size(), name) == 0 && refused.back() == '"') {
      refused = refused.substr(name.size(), refused.size() - name.size() - 1);
      break;
    }
  }
  if (formed.refused && std::none_of(arguments.begin(), arguments.end(), [&](const std::string& argument) {
        return argument.find(refused) != std::string::npos;
      }))
    __builtin_trap();
  std::list<command_token> tokens;
  split_command_line(formed.text, tokens, "-");
  return 0;
}
