#include "engine/build_output_recognition.h"

#include <cstring>
#include <stdexcept>

#include "diag/texts.h"
#include "engine/failure_classes.h"
#include "engine/file_operator.h"
#include "engine/recognition_rules.h"
#include "platform/error_codes.h"
#include "platform/file_size.h"
#include "platform/last_error.h"
#include "settings/run_settings.h"

namespace {
bool is_empty_file(const platform::tree_entry& entry) {
  std::uint32_t high = 0;
  std::uint32_t low = 0;
  return platform::query_file_size(entry, high, low) && high == 0 && low == 0;
}

platform::tree_entry by_path(const char* file_path) {
  if (file_path == nullptr) file_path = "";
  return platform::tree_entry{nullptr, file_path, file_path};
}

// Reads up to `length` bytes of the entry's start into `buffer`, `size` of them.
// False, with `verdict` set, when the open failed in a way that does not end
// the run: the file went away, is no regular file, or another program holds
// it. Any other failure raises, through get_handle.
bool read_file_start(const platform::tree_entry& entry, unsigned char* buffer, std::size_t length,
                     std::size_t& size, recognition_verdict& verdict) {
  file_operator file;
  file.open(entry);
  if (!file.is_open()) {
    const std::uint32_t code = platform::get_last_error();
    if (is_gone(code) || code == error_code::bad_file_type) {
      verdict = recognition_verdict::kept;
      return false;
    }
    if (is_tolerated_read_failure(code)) {
      verdict = recognition_verdict::unreadable;
      return false;
    }
  }
  size = file.read(buffer, length);
  file.close();
  return true;
}

// The modern formats need to know how much of a header is really there.
recognition_verdict judge_file_start_of(const platform::tree_entry& entry, const char* pattern,
                                        const run_settings& settings) {
  unsigned char start[leading_bytes_length] = {};
  std::size_t size = 0;
  recognition_verdict verdict = recognition_verdict::kept;
  if (!read_file_start(entry, start, sizeof start, size, verdict)) return verdict;
  return judge_file_start(pattern, start, size, settings) ? recognition_verdict::build_output
                                                          : recognition_verdict::kept;
}
}  // namespace

recognition_verdict judge_build_output(const platform::tree_entry& entry, const char* pattern) {
  const recognition_rule* rule = find_rule(pattern);
  if (rule == nullptr) throw std::logic_error(texts::strange_wildcard);
  const run_settings& settings = process_run_settings();
  // An empty browse-information file is left by a compile that was cut short.
  if (rule->zero_size_rule && settings.delete_zero_size && is_empty_file(entry))
    return recognition_verdict::build_output;
  if (!settings.modern_outputs) return read_signature(entry, rule->signature, rule->length);
  return judge_file_start_of(entry, pattern, settings);
}

recognition_verdict judge_build_output(const char* file_path, const char* pattern) {
  return judge_build_output(by_path(file_path), pattern);
}

bool is_build_output(const char* file_path, const char* pattern) {
  return judge_build_output(file_path, pattern) == recognition_verdict::build_output;
}

recognition_verdict read_signature(const platform::tree_entry& entry, const unsigned char* signature,
                                   std::size_t length) {
  if (length > max_signature_length) throw std::runtime_error("To Big Signature");
  unsigned char buffer[max_signature_length] = {};
  std::size_t size = 0;
  recognition_verdict verdict = recognition_verdict::kept;
  if (!read_file_start(entry, buffer, length, size, verdict)) return verdict;
  // Bytes past the end of a short file stay zero, and compare as such.
  return std::memcmp(buffer, signature, length) == 0 ? recognition_verdict::build_output
                                                     : recognition_verdict::kept;
}

bool has_signature(const char* file_path, const unsigned char* signature, std::size_t length) {
  return read_signature(by_path(file_path), signature, length) == recognition_verdict::build_output;
}

bool get_file_size(const char* file_path, std::uint32_t& high, std::uint32_t& low) {
  return platform::query_file_size(by_path(file_path), high, low);
}
