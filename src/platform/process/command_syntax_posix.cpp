#include "platform/process/command_syntax.h"

namespace platform {
const char* const command_syntax_text =
    "Each option is one argument. -f takes the next argument as its tree, or the\n"
    "rest of its own argument (-f/path); --word is the same as -word. -older and\n"
    "-skip take the next argument too, or the value after =: -older 30 or\n"
    "--older=30.\n"
    "Example: brulo -outputlog -f ~/work/app -f \"$HOME/lib one\"\n";
const char* const extra_help_word = "";
}  // namespace platform
