#include "engine/clean_pass.h"

#include <cstring>
#include <stdexcept>

#include "app/run_settings.h"
#include "diag/last_error_text.h"
#include "diag/message_output.h"
#include "diag/texts.h"
#include "engine/build_output_recognition.h"
#include "engine/byte_buffer.h"
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

// The system's text for the thread's last error, then the path; the file stays.
void report_tolerated_failure(const std::string& path) {
  last_error_text error_text;
  error_text.update(0, false);
  output_message("%s\n%s", error_text.text(), path.c_str());
}
}  // namespace

bool remove_build_outputs(const char* root, const std::list<std::string>& patterns) {
  const run_settings& settings = process_run_settings();
  file_searcher searcher;
  bool anything_removed = false;
  for (const std::string& pattern : patterns) {
    searcher.search(pattern.c_str(), root, searcher.results);
    for (const std::string& path : searcher.results) {
      const recognition_verdict verdict = judge_build_output(path.c_str(), pattern.c_str());
      if (verdict == recognition_verdict::kept) continue;
      if (verdict == recognition_verdict::unreadable) {
        report_tolerated_failure(path);
        continue;
      }
      if (remove_file(path, settings.use_recycle_bin)) {
        if (settings.output_log) output_message("%s", path.c_str());
        anything_removed = true;
        continue;
      }
      const std::uint32_t code = platform::get_last_error();
      // Removed by someone else since it was read: just as good.
      if (is_gone(code)) continue;
      if (!is_tolerated_removal_failure(code)) throw std::logic_error(texts::impossible);
      report_tolerated_failure(path);
    }
  }
  return anything_removed;
}
