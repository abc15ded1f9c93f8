#pragma once
#include <string>

// Whether `name` matches the wildcard `pattern`, the same on every system: '*'
// stands for any run of characters, '?' for exactly one (a whole UTF-8
// sequence), and every other character for itself, ASCII letters in either
// case. Brackets, semicolons and blanks are plain characters of the name.
bool name_pattern_matches(const std::string& pattern, const std::string& name);
