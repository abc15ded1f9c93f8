#pragma once
#include <cstdint>
#include <exception>
#include <string>

// The plain line a person at a terminal reads under the report of a run that
// ended: "brulo: cannot clean PATH: CAUSE". `tree` is the tree being cleaned,
// as given ("f" without a value: empty), or null before the first; `code` the
// last error the end left.
std::string run_end_line(const std::exception& error, std::uint32_t code, const std::string* tree);
