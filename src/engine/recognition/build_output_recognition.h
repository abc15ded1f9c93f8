#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/files/file_status.h"
#include "platform/files/tree_directory.h"

struct recognition_rule;

// The longest signature has_signature compares.
constexpr std::size_t max_signature_length = 256;

// What recognition makes of one found file.
enum class recognition_verdict {
  kept,          // not that build output, not a regular file, or gone since the search
  build_output,  // to be removed
  unreadable,    // held open by another program, or a name no call can reach
  data_elsewhere,  // its data is not on this computer (a cloud file): never read, kept
};

// A verdict with what was learned on the way: the file's status, which the
// removal checks the entry against and the totals count, and for
// `unreadable` the error code that tells why.
struct recognition_result {
  recognition_verdict verdict = recognition_verdict::kept;
  std::uint32_t error = 0;
  platform::file_status status;
  // For a build output, the entry removed: its size, its names and identity
  // (a link's own, never its target's).
  std::uint64_t freed_size = 0;
  std::uint32_t freed_links = 1;
  platform::file_identity freed_identity;
  // Kept, but "modern" would take it; asked only where a hint tells of it.
  bool modern_only = false;
  // Kept as newer than "older" allows.
  bool newer_than_limit = false;
};

// The verdict on the file found by `pattern`, by the rule that pattern
// selects, read relative to the entry's directory. The file's type is asked
// first and only a regular file is opened. Throws std::logic_error for a
// pattern it has no rule for, and std::runtime_error, with the last error set,
// for a directory or a file that cannot be opened for a reason that is not
// passed over.
recognition_result judge_build_output(const platform::tree_entry& entry, const char* pattern);
recognition_result judge_build_output(const platform::tree_entry& entry, const recognition_rule& rule);
recognition_verdict judge_build_output(const char* file_path, const char* pattern);

// True when judge_build_output finds a build output.
bool is_build_output(const char* file_path, const char* pattern);

// True when the file starts with the `length` bytes of `signature`; bytes past
// the end of a short file count as zero. Throws std::runtime_error when the
// signature is too long or the file cannot be opened.
bool has_signature(const char* file_path, const unsigned char* signature, std::size_t length);

// The size of a file as high and low 32 bits; false, storing nothing, when it is not found.
bool get_file_size(const char* file_path, std::uint32_t& high, std::uint32_t& low);
