#include "app/app_main.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/help_and_version.h"
#include "app/option_pass.h"
#include "app/run_end_line.h"
#include "app/run_hints.h"
#include "app/strange_command_line.h"
#include "diag/exception_report.h"
#include "diag/message_output.h"
#include "diag/progress_line.h"
#include "diag/texts.h"
#include "diag/time_stamp.h"
#include "engine/removal/clean_pass.h"
#include "engine/removal/removal_tally.h"
#include "platform/desktop/folder_dialog.h"
#include "platform/desktop/message_box.h"
#include "platform/files/recycle_bin_session.h"
#include "platform/process/console.h"
#include "platform/text/last_error.h"
#include "platform/text/display_text.h"
#include "settings/run_settings.h"
#include "shell/folder_picker.h"

namespace {
constexpr int show_normal = 1;  // SW_SHOWNORMAL; larger values never open the picker

// The tree being cleaned, as given: a run that ends names it in its plain line.
std::optional<std::string> tree_in_hand;

bool clean_one_tree(const std::string& root, removal_tally& run_total) {
  tree_in_hand = root;
  return clean_tree(root.c_str(), &run_total);
}

// After the run, where a person reads it: the summary box of a program
// without an output, or a terminal's standard error. A pipe or a file gets nothing.
void tell_the_end(const command_line& line, const removal_tally& run_total) {
  const run_settings& settings = process_run_settings();
  const std::vector<std::string> hints =
      settings.hints_shown ? run_hints(line, run_total) : std::vector<std::string>();
  if (settings.summary_in_box) {
    // Started from a shortcut the output is lost: the summary shows in a box, after every removal.
    std::string text;
    for (const std::vector<std::string>* lines : {&run_total.lines(), &hints})
      for (const std::string& shown : *lines) text += (text.empty() ? "" : "\n") + shown;
    if (!text.empty()) platform::show_text_box("brulo", text);
    return;
  }
  if (hints.empty()) return;
  process_progress_line().stop();
  for (const std::string& hint : hints) std::fprintf(stderr, "%s\n", platform::displayed_command_text(hint).c_str());
  std::fflush(stderr);
}

void clean_named_trees(const command_line& line) {
  removal_tally run_total;
  std::size_t trees = 0;
  for (const command_token& token : line.tokens()) {
    if (token.option_name == "f") {
      clean_one_tree(token.value, run_total);
      ++trees;
    } else if (token.option_name == "current") {
      clean_one_tree(current_directory(), run_total);
      ++trees;
    }
  }
  const run_settings& settings = process_run_settings();
  if ((settings.summary || settings.summary_at_terminal) && trees > 1) {
    run_total.report_total(trees, settings.use_recycle_bin, settings.dry_run);
    run_total.report_left(settings.older_than_days);
  }
  tell_the_end(line, run_total);
}
}  // namespace

std::int32_t run_targets(command_line& line, instance_handle instance) {
  if (instance == nullptr) return status_failed;
  const startup_args& args = process_startup_args();
  const bool empty_text = args.command_text == nullptr || args.command_text[0] == '\0';

  char stamp[64] = {};
  local_time_text(stamp, sizeof stamp);
  output_message("%s", "//**********************************************************");
  output_message("Time %s", stamp);

  // The recycle bin's folders, once found, serve every tree of the run.
  const platform::recycle_bin_session recycle_bin;
  if (!empty_text || args.show_state > show_normal) {
    clean_named_trees(line);
    return status_finished;
  }
  std::vector<char> folder(platform::picked_folder_size);
  if (browse_for_folder(folder.data(), folder.size(), nullptr, nullptr, platform::browse_edit_box, nullptr) != 0)
    return status_no_folder;
  removal_tally run_total;
  clean_one_tree(folder.data(), run_total);
  tell_the_end(line, run_total);
  return status_finished;
}

std::int32_t app_main(instance_handle instance, instance_handle previous, const char* command_text,
                      int show_state) {
  (void)previous;
  run_settings& settings = process_run_settings();
  try {
    if (answer_help_or_version(command_text)) return status_finished;
    if (!apply_options(process_command_line(), settings, command_text, show_state)) return status_failed;
    // A person at a terminal sees what went, and how a long run goes on.
    settings.summary_at_terminal = platform::output_is_terminal();
    settings.summary_in_box = settings.summary && platform::output_goes_nowhere();
    settings.hints_shown = platform::errors_are_terminal() || settings.summary_in_box;
    start_progress_line();
    const std::int32_t status = run_targets(process_command_line(), instance);
    process_progress_line().stop();
    return status;
  } catch (const std::exception& error) {
    const std::uint32_t code = platform::get_last_error();
    process_progress_line().stop();
    record_exception(settings, error, "%s", texts::exception_context);
    // Under the report, which stays as it is: what happened, in plain words, for a person at a terminal.
    if (platform::errors_are_terminal()) {
      std::fprintf(stderr, "%s\n", run_end_line(error, code, tree_in_hand ? &*tree_in_hand : nullptr).c_str());
      std::fflush(stderr);
    }
    return status_failed;
  }
}

std::int32_t refuse_argument(const char* text_before, const char* refused_what) {
  // An unknown option word before the argument is the first fault, and is
  // reported as such; "outputlog" before it sends the refusal to the run log.
  if (answer_help_or_version(text_before)) return status_finished;
  if (apply_options(process_command_line(), process_run_settings(), text_before, show_normal))
    report_strange_command_line(refused_what);
  return status_failed;
}
