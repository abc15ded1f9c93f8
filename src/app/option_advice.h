#pragma once
#include <string>

// The plain line a person at a terminal reads after a command line was
// refused: the word not understood and the nearest option word, or what the
// option's value should have been, and where every option is listed.

// For an option word no option has; `words` are the option words, in order.
std::string unknown_option_advice(const std::string& name, const char* const* words, std::size_t count);

// For a value "older" or "skip" cannot take.
std::string bad_value_advice(const std::string& name, const std::string& value);
