#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/run_settings.h"
#include "engine/recognition/modern_formats.h"

// What a pattern's file must start with to count as the build output the pattern names.
struct recognition_rule {
  const char* pattern;
  const unsigned char* signature;  // null for a pattern only "modern" knows
  std::size_t length;
  bool zero_size_rule;  // an empty file counts too, with delete_zero_size
  modern_kind modern;   // what "modern" accepts besides the signature
};

// The rule that `pattern` selects, letter case aside; null for a pattern outside the table.
const recognition_rule* find_rule(const char* pattern);

// The patterns only "modern" searches, after the ten, in their fixed order.
std::vector<std::string> modern_patterns();

// The bytes of a file's start that every rule compares; only a libtool
// descriptor's first line is read further (read_file_start).
constexpr std::size_t leading_bytes_length = 32;

// The verdict by the signatures for a file of `file_size` bytes whose first
// `size` bytes are `bytes` (fewer than leading_bytes_length at the end of a
// short file, or where the read failed). The empty-file rule is not decided here: only the
// file's own size can tell an empty file from one that could not be read.
// Reads nothing else and takes any bytes. Throws std::logic_error for a
// pattern it has no rule for.
bool judge_file_start(const char* pattern, const unsigned char* bytes, std::size_t size, std::uint64_t file_size,
                      const run_settings& settings);
// The same by a rule already found.
bool judge_file_start(const recognition_rule& rule, const unsigned char* bytes, std::size_t size,
                      std::uint64_t file_size, const run_settings& settings);
