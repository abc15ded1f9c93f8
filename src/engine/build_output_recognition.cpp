#include "engine/build_output_recognition.h"

#include <cstring>
#include <stdexcept>

#include "app/run_settings.h"
#include "diag/texts.h"
#include "engine/file_operator.h"
#include "engine/recognition_rules.h"
#include "platform/file_size.h"

namespace {
bool is_empty_file(const char* file_path) {
  std::uint32_t high = 0;
  std::uint32_t low = 0;
  return get_file_size(file_path, high, low) && high == 0 && low == 0;
}

void open_for_reading(file_operator& file, const char* file_path) {
  if (file_path != nullptr) file.file_name = file_path;
  file.open_mode = open_mode_word::read;
  file.open_mode += open_mode_word::binary;
  file.open();
}

// The first bytes of the file and how many there are.
std::size_t read_file_start(const char* file_path, unsigned char* buffer, std::size_t capacity) {
  file_operator file;
  open_for_reading(file, file_path);
  const std::size_t count = std::fread(buffer, 1, capacity, file.get_handle());
  file.close();
  return count;
}
}  // namespace

bool is_build_output(const char* file_path, const char* pattern) {
  const recognition_rule* rule = find_rule(pattern);
  if (rule == nullptr) throw std::logic_error(texts::strange_wildcard);
  const run_settings& settings = process_run_settings();
  // An empty browse-information file is left by a compile that was cut short.
  if (rule->zero_size_rule && settings.delete_zero_size && is_empty_file(file_path)) return true;
  if (!settings.modern_outputs) return has_signature(file_path, rule->signature, rule->length);
  // The modern formats need to know how much of a header is really there.
  unsigned char start[leading_bytes_length] = {};
  const std::size_t size = read_file_start(file_path, start, sizeof start);
  return judge_file_start(pattern, start, size, settings);
}

bool has_signature(const char* file_path, const unsigned char* signature, std::size_t length) {
  file_operator file;
  open_for_reading(file, file_path);

  unsigned char buffer[max_signature_length] = {};
  if (length > max_signature_length) throw std::runtime_error("To Big Signature");
  std::fread(buffer, 1, length, file.get_handle());
  const bool equal = std::memcmp(buffer, signature, length) == 0;
  file.close();
  return equal;
}

bool get_file_size(const char* file_path, std::uint32_t& high, std::uint32_t& low) {
  return platform::query_file_size(file_path, high, low);
}
