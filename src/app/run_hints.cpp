#include "app/run_hints.h"

#include "app/command_line.h"
#include "diag/size_text.h"
#include "engine/removal/removal_tally.h"
#include "platform/files/file_status.h"

namespace {
bool names_a_folder(const std::string& word) {
  const platform::tree_entry entry{nullptr, word.c_str(), word.c_str()};
  platform::file_status status;
  return platform::stat_entry(entry, status) && status.type == platform::file_status::kind::directory;
}
}  // namespace

std::vector<std::string> run_hints(const command_line& line, const removal_tally& run_total) {
  std::vector<std::string> hints;
  for (const command_token& token : line.tokens()) {
    if (!token.option_name.empty() || !names_a_folder(token.value)) continue;
    const std::string& word = token.value;
    hints.push_back(word + " was not cleaned: a word without an option names no tree; to clean it: -f " + word);
  }
  const std::uint64_t files = run_total.modern_only_files();
  if (files > 0) {
    const bool one = files == 1;
    hints.push_back(std::to_string(files) + (one ? " file, " : " files, ") +
                    std::to_string(run_total.modern_only_bytes()) + " bytes (" +
                    size_text(run_total.modern_only_bytes()) + ") of today's tool chains " +
                    (one ? "was kept; -modern removes it too" : "were kept; -modern removes them too"));
  }
  return hints;
}
