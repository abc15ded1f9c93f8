#include "platform/process/command_syntax.h"

namespace platform {
const char* const command_syntax_text =
    "An option starts with - or /. A value runs to the end of the line, or is\n"
    "written in double quotes directly after the option name; do that for every\n"
    "-f but the last to name several trees. -older and -skip take a value like\n"
    "-f: -older\"30\" -skip\"third_party\" -f C:\\work\\app\n"
    "Example: brulo.exe -outputlog -f\"C:\\work\\lib one\" -f C:\\work\\app\n";
const char* const extra_help_word = "?";

std::string tree_option_text(const std::string& folder) {
  // A value in quotes directly after the name may hold blanks; one without runs to the end of the line.
  if (folder.find_first_of(" \t\"") == std::string::npos) return "-f " + folder;
  return "-f\"" + folder + "\"";
}
}  // namespace platform
