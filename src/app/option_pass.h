#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "settings/run_settings.h"

class command_line;

// Loads `line` from the text and turns its option words into `settings`.
// False, after two messages, at the first option word it does not know or
// whose value it cannot take.
bool apply_options(command_line& line, run_settings& settings, const char* command_text, int show_state);

// The value of "older": one or more ASCII digits, at most 2147483647 in all.
// Nothing for any other text (a sign, a blank, an empty text).
std::optional<std::int32_t> day_count(const std::string& text);
