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
#include "engine/failure_classes.h"
#include "engine/file_searcher.h"
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

// The system's text for the failure, then the path; the file stays.
void report_tolerated_failure(const std::string& path, std::uint32_t error) {
  last_error_text error_text;
  error_text.update(error, true);
  output_message("%s\n%s", error_text.text(), path.c_str());
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
      const recognition_verdict verdict = judge_build_output(path.c_str(), pattern.c_str());
      if (verdict == recognition_verdict::kept) continue;
      if (verdict == recognition_verdict::unreadable) {
        report_tolerated_failure(path, platform::get_last_error());
        continue;
      }
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
      // Removed by someone else since it was read: just as good.
      if (is_gone(error)) continue;
      if (!is_tolerated_removal_failure(error)) throw std::logic_error(texts::impossible);
      report_tolerated_failure(path, error);
    }
  }
  if (settings.dry_run) dry_run.report(root);
  return anything_removed;
}
