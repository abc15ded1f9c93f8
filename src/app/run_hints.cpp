#include "app/run_hints.h"

#include "app/command_line.h"
#include "diag/size_text.h"
#include "engine/removal/removal_tally.h"
#include "platform/files/file_status.h"
#include "platform/process/command_syntax.h"
#include "settings/run_settings.h"

namespace {
bool names_a_folder(const std::string& word) {
  const platform::tree_entry entry{nullptr, word.c_str(), word.c_str()};
  platform::file_status status;
  return platform::stat_entry(entry, status) && status.type == platform::file_status::kind::directory;
}

// Options that take no value: a word after one is read as its value, and dropped.
bool takes_no_value(const std::string& option_name) {
  return !option_name.empty() && option_name != "f" && option_name != "older" && option_name != "skip";
}
}  // namespace

std::vector<std::string> run_hints(const command_line& line, const removal_tally& run_total) {
  std::vector<std::string> hints;
  for (const command_token& token : line.tokens()) {
    const bool plain = token.option_name.empty();
    if ((!plain && !takes_no_value(token.option_name)) || !names_a_folder(token.value)) continue;
    // Names as the program keeps them: the box shows them whole, a terminal in its code page.
    const std::string& word = token.value;
    const std::string why = plain ? "a word without an option" : "a word after -" + token.option_name;
    hints.push_back(word + " was not cleaned: " + why + " names no tree; to clean it: " +
                    platform::tree_option_text(token.value));
  }
  const std::uint64_t files = run_total.modern_only_files();
  if (files > 0) {
    const bool one = files == 1;
    const char* kept = !process_run_settings().dry_run ? (one ? "was kept; -modern removes it too"
                                                              : "were kept; -modern removes them too")
                                                       : (one ? "is not included; -modern includes it"
                                                              : "are not included; -modern includes them");
    hints.push_back(std::to_string(files) + (one ? " file, " : " files, ") +
                    std::to_string(run_total.modern_only_bytes()) + " bytes (" +
                    size_text(run_total.modern_only_bytes()) + ") of today's tool chains " + kept);
  }
  return hints;
}
