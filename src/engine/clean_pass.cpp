#include "engine/clean_pass.h"

#include <cstring>
#include <stdexcept>

#include "diag/last_error_text.h"
#include "diag/message_output.h"
#include "diag/texts.h"
#include "engine/build_output_recognition.h"
#include "engine/byte_buffer.h"
#include "engine/directory_cursor.h"
#include "engine/file_searcher.h"
#include "platform/error_codes.h"
#include "platform/file_removal.h"
#include "platform/last_error.h"
#include "settings/run_settings.h"

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

bool remove_file(const platform::tree_entry& entry, bool use_recycle_bin) {
  return use_recycle_bin ? recycle(entry.path) : platform::delete_file(entry);
}

bool is_tolerated(std::uint32_t code) {
  return code == error_code::access_denied || code == error_code::invalid_handle ||
         code == error_code::sharing_violation;
}

// One match: the verdict, then the removal, then its report. True when the file went.
bool clean_candidate(const platform::tree_entry& entry, const char* pattern, const run_settings& settings) {
  if (!is_build_output(entry, pattern)) return false;
  if (remove_file(entry, settings.use_recycle_bin)) {
    if (settings.output_log) output_message("%s", entry.path);
    return true;
  }
  last_error_text error_text;
  if (!is_tolerated(platform::get_last_error())) throw std::logic_error(texts::impossible);
  error_text.update(0, false);
  output_message("%s\n%s", error_text.text(), entry.path);
  return false;
}
}  // namespace

bool remove_build_outputs(const char* root, const std::list<std::string>& patterns) {
  const run_settings& settings = process_run_settings();
  const std::vector<std::string> ordered(patterns.begin(), patterns.end());
  // The whole tree is walked before the first removal, so a tree that cannot
  // be walked loses nothing.
  file_searcher searcher;
  searcher.walk(root, ordered);
  directory_cursor directories(searcher);
  bool anything_removed = false;
  for (std::size_t k = 0; k < ordered.size(); ++k) {
    for (const file_searcher::candidate& match : searcher.candidates[k]) {
      const platform::tree_directory& directory = directories.open(match.directory);
      const std::string path = searcher.full_path(match);
      if (clean_candidate(platform::tree_entry{&directory, match.name.c_str(), path.c_str()}, ordered[k].c_str(),
                          settings))
        anything_removed = true;
    }
  }
  return anything_removed;
}
