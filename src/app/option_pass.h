#pragma once

#include "settings/run_settings.h"

class command_line;

// Loads `line` from the text and turns its option words into `settings`.
// False, after two messages, at the first option word it does not know.
bool apply_options(command_line& line, run_settings& settings, const char* command_text, int show_state);
