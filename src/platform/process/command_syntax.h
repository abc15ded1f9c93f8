#pragma once

namespace platform {
// How options and their values are written on this platform's command line,
// with one example, for the usage text. Ends in a line feed.
extern const char* const command_syntax_text;
// A further option name that asks for the usage ("?" from "/?"); empty for none.
extern const char* const extra_help_word;
}  // namespace platform
