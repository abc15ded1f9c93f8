#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/tree_directory.h"

// The longest signature has_signature compares.
constexpr std::size_t max_signature_length = 256;

// True when the file found by `pattern` really is the build output that the
// pattern names. Throws std::logic_error for a pattern it has no rule for.
bool is_build_output(const char* file_path, const char* pattern);
// The same for an entry of an open directory, read relative to it.
bool is_build_output(const platform::tree_entry& entry, const char* pattern);

// True when the file starts with the `length` bytes of `signature`; bytes past
// the end of a short file count as zero. Throws std::runtime_error when the
// signature is too long or the file cannot be opened.
bool has_signature(const char* file_path, const unsigned char* signature, std::size_t length);
bool has_signature(const platform::tree_entry& entry, const unsigned char* signature, std::size_t length);

// The size of a file as high and low 32 bits; false, storing nothing, when it is not found.
bool get_file_size(const char* file_path, std::uint32_t& high, std::uint32_t& low);
