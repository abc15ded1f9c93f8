#include "engine/recognition/recognition_rules.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "diag/texts.h"
#include "platform/text/name_case.h"

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

// Text signatures are compared without their terminating zero.
constexpr recognition_rule rule_table[] = {
    {"*.pch", pch_header, sizeof pch_header - 1, false, modern_kind::precompiled_header},
    {"*.ilk", ilk_header, sizeof ilk_header - 1, false, modern_kind::none},
    {"*.bsc", pdb_header, sizeof pdb_header - 1, false, modern_kind::program_database},
    {"*.pdb", pdb_header, sizeof pdb_header - 1, false, modern_kind::program_database},
    {"*.obj", coff_i386, sizeof coff_i386, false, modern_kind::object},
    {"*.idb", pdb_header, sizeof pdb_header - 1, false, modern_kind::program_database},
    {"*.sbr", sbr_header, sizeof sbr_header, true, modern_kind::none},
    {"*.res", res_header, sizeof res_header, false, modern_kind::resource_object},
    {"*.o", mingw_object, sizeof mingw_object, false, modern_kind::object},
    {"*.opp", mingw_object, sizeof mingw_object, false, modern_kind::object},
    // Objects first: notes and split debug information go only with their object.
    {"*.lo", nullptr, 0, false, modern_kind::libtool_object},
    {"*.gch", nullptr, 0, false, modern_kind::gcc_precompiled_header},
    {"*.pcm", nullptr, 0, false, modern_kind::precompiled_header},
    {"*.gcm", nullptr, 0, false, modern_kind::gcc_module},
    {"*.ifc", nullptr, 0, false, modern_kind::ifc_module},
    {"*.ipdb", nullptr, 0, false, modern_kind::program_database},
    {"*.iobj", nullptr, 0, false, modern_kind::anonymous_object},
    {"*.gcno", nullptr, 0, false, modern_kind::coverage_notes},
    {"*.gcda", nullptr, 0, false, modern_kind::coverage_data},
    {"*.profraw", nullptr, 0, false, modern_kind::raw_profile},
    {"*.profdata", nullptr, 0, false, modern_kind::indexed_profile},
    {"*.dwo", nullptr, 0, false, modern_kind::split_debug_info},
    {"*.VC.db", nullptr, 0, false, modern_kind::browse_database},
};

constexpr std::size_t pattern_buffer_size = 32;

// Every verdict is taken from one read of the file's start.
constexpr bool signatures_fit_the_read() {
  for (const auto& rule : rule_table)
    if (rule.length > leading_bytes_length) return false;
  return true;
}
static_assert(signatures_fit_the_read(), "a signature is longer than the bytes recognition reads");

// As a file read compares it: bytes past the end of a short file count as zero.
bool has_leading_signature(const recognition_rule& rule, const unsigned char* bytes, std::size_t size) {
  if (rule.signature == nullptr) return false;
  unsigned char start[leading_bytes_length] = {};
  if (size > 0) std::memcpy(start, bytes, std::min(size, rule.length));
  return std::memcmp(start, rule.signature, rule.length) == 0;
}

// A table pattern keeps the letter case its files are known by ("*.VC.db").
bool equals_lowered(const char* normalised, const char* table_pattern) {
  std::size_t i = 0;
  for (; normalised[i] != '\0' && table_pattern[i] != '\0'; ++i)
    if (normalised[i] != folded_case(table_pattern[i])) return false;
  return normalised[i] == table_pattern[i];
}
}  // namespace

std::vector<std::string> modern_patterns() {
  std::vector<std::string> patterns;
  for (const auto& rule : rule_table)
    if (rule.signature == nullptr) patterns.push_back(rule.pattern);
  return patterns;
}

const recognition_rule* find_rule(const char* pattern) {
  char normalised[pattern_buffer_size] = {};
  for (std::size_t i = 0; i < pattern_buffer_size - 1 && pattern[i] != '\0'; ++i)
    normalised[i] = folded_case(pattern[i]);
  for (const auto& rule : rule_table)
    if (equals_lowered(normalised, rule.pattern)) return &rule;
  return nullptr;
}

bool judge_file_start(const char* pattern, const unsigned char* bytes, std::size_t size, std::uint64_t file_size,
                      const run_settings& settings) {
  const recognition_rule* rule = find_rule(pattern);
  if (rule == nullptr) throw std::logic_error(texts::strange_wildcard);
  return judge_file_start(*rule, bytes, size, file_size, settings);
}

bool judge_file_start(const recognition_rule& rule, const unsigned char* bytes, std::size_t size,
                      std::uint64_t file_size, const run_settings& settings) {
  if (has_leading_signature(rule, bytes, size)) return true;
  return settings.modern_outputs && is_modern_output(rule.modern, bytes, size, file_size);
}
