#include "engine/clean_pass.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "app/run_settings.h"
#include "diag/last_error_text.h"
#include "diag/message_output.h"
#include "diag/texts.h"
#include "engine/build_output_recognition.h"
#include "engine/byte_buffer.h"
#include "engine/dry_run_tally.h"
#include "engine/file_searcher.h"
#include "platform/error_codes.h"
#include "platform/file_removal.h"
#include "platform/last_error.h"

std::list<std::string> target_patterns() {
  std::list<std::string> patterns;
  for (const char* pattern : {"*.sbr", "*.obj", "*.pch", "*.ilk", "*.bsc", "*.pdb", "*.idb", "*.res", "*.opp", "*.o"})
    patterns.push_back(pattern);
  return patterns;
}

bool clean_tree(const char* root) { return remove_build_outputs(root, target_patterns()); }

namespace {
// On failure `error` receives the last-error value at once, before anything else
// (even freeing the recycle request) could change it.
bool recycle(const std::string& path, std::uint32_t& error) {
  // The shell takes a list of names ending in two zero bytes.
  byte_buffer block(path.size() + 2);
  std::memcpy(block.data(), path.data(), path.size());
  if (platform::move_to_recycle_bin(reinterpret_cast<const char*>(block.data()))) return true;
  error = platform::get_last_error();
  return false;
}

bool remove_file(const std::string& path, bool use_recycle_bin, std::uint32_t& error) {
  if (use_recycle_bin) return recycle(path, error);
  if (platform::delete_file(path.c_str())) return true;
  error = platform::get_last_error();
  return false;
}

bool is_tolerated(std::uint32_t code) {
  return code == error_code::access_denied || code == error_code::invalid_handle ||
         code == error_code::sharing_violation;
}
}  // namespace

bool remove_build_outputs(const char* root, const std::list<std::string>& patterns) {
  const run_settings& settings = process_run_settings();
  file_searcher searcher;
  bool anything_removed = false;
  dry_run_tally dry_run;
  for (const std::string& pattern : patterns) {
    searcher.search(pattern.c_str(), root, searcher.results);
    for (const std::string& path : searcher.results) {
      if (!is_build_output(path.c_str(), pattern.c_str())) continue;
      if (settings.dry_run) {
        dry_run.count(path);
        continue;
      }
      std::uint32_t error = 0;
      if (remove_file(path, settings.use_recycle_bin, error)) {
        if (settings.output_log) output_message("%s", path.c_str());
        anything_removed = true;
        continue;
      }
      last_error_text error_text;
      if (!is_tolerated(error)) throw std::logic_error(texts::impossible);
      error_text.update(error, true);
      output_message("%s\n%s", error_text.text(), path.c_str());
    }
  }
  if (settings.dry_run) dry_run.report(root);
  return anything_removed;
}
