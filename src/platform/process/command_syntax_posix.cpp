#include "platform/process/command_syntax.h"

namespace platform {
const char* const command_syntax_text =
    "Each option is one argument. -f takes the next argument as its tree, or the\n"
    "rest of its own argument (-f/path); --word is the same as -word. -older and\n"
    "-skip take the next argument too, or the value after =: -older 30 or\n"
    "--older=30.\n"
    "Example: brulo -outputlog -f ~/work/app -f \"$HOME/lib one\"\n";
const char* const extra_help_word = "";

std::string tree_option_text(const std::string& folder) {
  if (folder.find_first_of(" \t'\"\\$`") == std::string::npos) return "-f " + folder;
  // In single quotes the shell takes every byte as it is, but a single quote itself.
  std::string quoted = "'";
  for (const char c : folder) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return "-f " + quoted + "'";
}
}  // namespace platform
