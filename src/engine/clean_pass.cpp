#include "engine/clean_pass.h"

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
bool recycle(const std::string& path) {
  // The shell takes a list of names ending in two zero bytes.
  byte_buffer block(path.size() + 2);
  std::memcpy(block.data(), path.data(), path.size());
  const bool moved = platform::move_to_recycle_bin(reinterpret_cast<const char*>(block.data()));
  block.release();
  return moved;
}

bool remove_file(const std::string& path, bool use_recycle_bin) {
  return use_recycle_bin ? recycle(path) : platform::delete_file(path.c_str());
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
      if (remove_file(path, settings.use_recycle_bin)) {
        if (settings.output_log) output_message("%s", path.c_str());
        anything_removed = true;
        continue;
      }
      last_error_text error_text;
      if (!is_tolerated(platform::get_last_error())) throw std::logic_error(texts::impossible);
      error_text.update(0, false);
      output_message("%s\n%s", error_text.text(), path.c_str());
    }
  }
  if (settings.dry_run) dry_run.report(root);
  return anything_removed;
}
