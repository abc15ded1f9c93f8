#pragma once
#include <cstddef>

#include "engine/recognition/modern_formats.h"
#include "engine/recognition/recognition_rules.h"

class file_operator;

// The most bytes of a file's start that recognition reads.
constexpr std::size_t longest_file_start =
    libtool_first_line_limit > leading_bytes_length ? libtool_first_line_limit : leading_bytes_length;

// Reads the start of a file just opened, as far as `rule` looks at it, into
// `bytes` (longest_file_start of them) and returns how many it read: the
// leading bytes every rule compares, and under a libtool descriptor's name the
// rest of a first line that starts like the descriptor's, up to its line end or
// libtool_first_line_limit.
std::size_t read_file_start(file_operator& file, const recognition_rule& rule, unsigned char* bytes);
