#pragma once
#include <string>

namespace platform {
// How options and their values are written on this platform's command line,
// with one example, for the usage text. Ends in a line feed.
extern const char* const command_syntax_text;
// A further option name that asks for the usage ("?" from "/?"); empty for none.
extern const char* const extra_help_word;

// "-f FOLDER" as a person types it here: a folder with a blank or a quote
// quoted as this system's command line expects.
std::string tree_option_text(const std::string& folder);
}  // namespace platform
