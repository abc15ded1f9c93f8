// The command-line text, any bytes at all, through the splitter and the option pass.
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <list>
#include <string>

#include "app/command_line.h"
#include "app/option_pass.h"
#include "settings/run_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The option pass reports unknown words; their text is of no interest here.
  static const bool quiet = (std::cout.setstate(std::ios::badbit), true);
  (void)quiet;
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const char* introducers : {"-", "-/"}) {
    std::list<command_token> tokens;
    split_command_line(text, tokens, introducers);
    // Every byte of a token comes from the text, at most once.
    std::size_t taken = 0;
    for (const command_token& token : tokens) taken += token.value.size() + token.option_name.size();
    if (taken > size) __builtin_trap();
  }
  command_line line;
  run_settings settings;
  apply_options(line, settings, text.c_str(), 1);
  // A day count is never negative, and a skipped name never empty.
  if (settings.older_than_days < -1) __builtin_trap();
  for (const std::string& name : settings.skip_names)
    if (name.empty()) __builtin_trap();
  return 0;
}
