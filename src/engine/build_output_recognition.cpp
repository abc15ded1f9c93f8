#include "engine/build_output_recognition.h"

#include <cctype>
#include <cstring>
#include <stdexcept>

#include "diag/texts.h"
#include "engine/file_operator.h"
#include "platform/file_size.h"
#include "settings/run_settings.h"

namespace {
constexpr unsigned char pdb_header[] = "Microsoft C/C++ program database";
constexpr unsigned char pch_header[] = "VCPCH";
constexpr unsigned char ilk_header[] = "Microsoft Linker Database";
constexpr unsigned char coff_i386[] = {0x4C, 0x01};
constexpr unsigned char sbr_header[] = {0x00, 0x02, 0x00, 0x07, 0x00};
constexpr unsigned char res_header[] = {0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00,
                                        0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00};
// COFF header of a MinGW object: machine i386, 28 sections, low time-stamp bytes zero.
constexpr unsigned char mingw_object[] = {0x4C, 0x01, 0x1C, 0x00, 0x00, 0x00, 0x00};

struct recognition_rule {
  const char* pattern;
  const unsigned char* signature;
  std::size_t length;
  bool zero_size_rule;
};

// Text signatures are compared without their terminating zero.
constexpr recognition_rule rule_table[] = {
    {"*.pch", pch_header, sizeof pch_header - 1, false},
    {"*.ilk", ilk_header, sizeof ilk_header - 1, false},
    {"*.bsc", pdb_header, sizeof pdb_header - 1, false},
    {"*.pdb", pdb_header, sizeof pdb_header - 1, false},
    {"*.obj", coff_i386, sizeof coff_i386, false},
    {"*.idb", pdb_header, sizeof pdb_header - 1, false},
    {"*.sbr", sbr_header, sizeof sbr_header, true},
    {"*.res", res_header, sizeof res_header, false},
    {"*.o", mingw_object, sizeof mingw_object, false},
    {"*.opp", mingw_object, sizeof mingw_object, false},
};

constexpr std::size_t pattern_buffer_size = 32;

const recognition_rule* find_rule(const char* pattern) {
  char normalised[pattern_buffer_size] = {};
  for (std::size_t i = 0; i < pattern_buffer_size - 1 && pattern[i] != '\0'; ++i)
    normalised[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[i])));
  for (const auto& rule : rule_table)
    if (std::strcmp(normalised, rule.pattern) == 0) return &rule;
  return nullptr;
}

bool is_empty_file(const platform::tree_entry& entry) {
  std::uint32_t high = 0;
  std::uint32_t low = 0;
  return platform::query_file_size(entry, high, low) && high == 0 && low == 0;
}

platform::tree_entry by_path(const char* file_path) {
  if (file_path == nullptr) file_path = "";
  return platform::tree_entry{nullptr, file_path, file_path};
}
}  // namespace

bool is_build_output(const char* file_path, const char* pattern) { return is_build_output(by_path(file_path), pattern); }

bool is_build_output(const platform::tree_entry& entry, const char* pattern) {
  const recognition_rule* rule = find_rule(pattern);
  if (rule == nullptr) throw std::logic_error(texts::strange_wildcard);
  // An empty browse-information file is left by a compile that was cut short.
  if (rule->zero_size_rule && process_run_settings().delete_zero_size && is_empty_file(entry)) return true;
  return has_signature(entry, rule->signature, rule->length);
}

bool has_signature(const char* file_path, const unsigned char* signature, std::size_t length) {
  return has_signature(by_path(file_path), signature, length);
}

bool has_signature(const platform::tree_entry& entry, const unsigned char* signature, std::size_t length) {
  file_operator file;
  file.open(entry);

  unsigned char buffer[max_signature_length] = {};
  if (length > max_signature_length) throw std::runtime_error("To Big Signature");
  file.read(buffer, length);
  const bool equal = std::memcmp(buffer, signature, length) == 0;
  file.close();
  return equal;
}

bool get_file_size(const char* file_path, std::uint32_t& high, std::uint32_t& low) {
  return platform::query_file_size(by_path(file_path), high, low);
}
