#include "engine/removal/clean_pass.h"

#include <cstdint>
#include <stdexcept>

#include "diag/message_output.h"
#include "diag/progress_line.h"
#include "diag/run_end_place.h"
#include "diag/texts.h"
#include "engine/recognition/build_output_recognition.h"
#include "engine/recognition/object_companions.h"
#include "engine/walk/directory_listing.h"
#include "engine/removal/failure_classes.h"
#include "engine/walk/file_searcher.h"
#include "engine/recognition/recognition_rules.h"
#include "platform/text/display_text.h"
#include "platform/text/error_codes.h"
#include "platform/files/file_removal.h"
#include "platform/text/last_error.h"
#include "platform/files/path_syntax.h"
#include "platform/files/tree_directory.h"
#include "settings/run_settings.h"

std::list<std::string> target_patterns() {
  std::list<std::string> patterns;
  for (const char* pattern : {"*.sbr", "*.obj", "*.pch", "*.ilk", "*.bsc", "*.pdb", "*.idb", "*.res", "*.opp", "*.o"})
    patterns.push_back(pattern);
  // A hint tells what "modern" would add, so its patterns are searched for it too.
  const run_settings& settings = process_run_settings();
  if (settings.modern_outputs || settings.hints_shown)
    for (const std::string& pattern : modern_patterns()) patterns.push_back(pattern);
  return patterns;
}

bool clean_tree(const char* root, removal_tally* run_total) {
  return remove_build_outputs(root, target_patterns(), run_total);
}

namespace {
platform::removal_result remove_file(const platform::tree_entry& entry, const platform::file_identity& judged,
                                     bool use_recycle_bin) {
  if (use_recycle_bin) return platform::move_to_recycle_bin(entry, judged);
  if (platform::delete_file(entry, judged)) return {platform::removal_outcome::removed, error_code::success};
  // Taken at once, before anything else could change it.
  const std::uint32_t code = platform::get_last_error();
  return {deletion_outcome(code), code};
}

// A match of a pattern only "modern" knows, in a run without it: searched only
// to tell what "modern" would add, so nothing of it may change the run.
void count_for_hint(const platform::tree_entry& entry, const recognition_rule& rule, removal_tally& tally) {
  const std::uint32_t saved_error = platform::get_last_error();
  try {
    const recognition_result judged = judge_build_output(entry, rule);
    if (judged.modern_only) tally.count_modern_only(judged.freed_size);
  } catch (const std::exception&) {
    // A folder or unreadable file under such a name: the run never looked at it.
  }
  platform::set_last_error(saved_error);
}

// One match: the verdict, then the removal (in a dry run, none), then its
// report and its count. True when the file went.
bool clean_candidate(const platform::tree_entry& entry, const recognition_rule* rule, const run_settings& settings,
                     removal_tally& tally, std::size_t kind, std::uint32_t folder) {
  if (rule == nullptr) throw std::logic_error(texts::strange_wildcard);
  if (rule->signature == nullptr && !settings.modern_outputs) {
    count_for_hint(entry, *rule, tally);
    return false;
  }
  const recognition_result judged = judge_build_output(entry, *rule);
  if (judged.verdict == recognition_verdict::kept) {
    if (judged.modern_only) tally.count_modern_only(judged.freed_size);
    if (judged.newer_than_limit) tally.count_newer();
    return false;
  }
  if (judged.verdict == recognition_verdict::data_elsewhere) {
    tally.count_data_elsewhere();
    return false;
  }
  if (judged.verdict == recognition_verdict::unreadable) {
    report_tolerated_failure(entry.path, judged.error);
    tally.count_refused();
    return false;
  }
  const auto freed = [&] {
    return tally.freed_by_name(judged.freed_size, judged.freed_identity, judged.freed_links,
                               settings.dry_run || settings.use_recycle_bin);
  };
  if (settings.dry_run) {
    tally.count(freed(), kind, folder);
    output_message("%s", platform::displayed_name(entry.path).c_str());
    return false;
  }
  const platform::removal_result removal = remove_file(entry, judged.status.identity, settings.use_recycle_bin);
  switch (removal.outcome) {
    case platform::removal_outcome::removed:
      tally.count(freed(), kind, folder);
      if (settings.output_log) output_message("%s", platform::displayed_name(entry.path).c_str());
      return true;
    case platform::removal_outcome::destroyed:  // gone as any removed file, but not to the bin: counted apart
      tally.count_destroyed(freed());
      if (settings.output_log) output_message("%s", platform::displayed_name(entry.path).c_str());
      return true;
    case platform::removal_outcome::gone:  // removed by someone else since it was read: just as good
      return false;
    case platform::removal_outcome::refused:
      report_tolerated_failure(entry.path, removal.code);
      tally.count_refused();
      return false;
    case platform::removal_outcome::failed:
      break;
  }
  // The system had no memory left for it: nothing else ends a run here.
  platform::set_last_error(removal.code);
  throw std::logic_error(texts::out_of_memory);
}
}  // namespace

bool remove_build_outputs(const char* root, const std::list<std::string>& patterns, removal_tally* run_total) {
  const run_settings& settings = process_run_settings();
  const std::vector<std::string> ordered(patterns.begin(), patterns.end());
  // The whole tree is walked before the first removal, so a tree that cannot
  // be walked loses nothing.
  file_searcher searcher;
  searcher.walk(root, ordered, settings.skip_names);
  walked_tree& tree = searcher.tree();
  if (settings.dry_run)
    for (const std::uint32_t kept : searcher.kept_directories)
      output_message("kept: %s (%s)", platform::displayed_name(tree.path(kept)).c_str(), keep_marker_name);
  removal_tally tally;
  if (run_total != nullptr) tally.share_names_with(*run_total);
  tally.count_passed_over(searcher.kept_directories.size(), searcher.skipped_directories);
  bool anything_removed = false;
  progress_line& progress = process_progress_line();
  std::size_t candidates = 0, done = 0;
  for (const auto& matches : searcher.candidates) candidates += matches.size();
  // A directory that cannot be opened again is reported once and passed over, with what it holds.
  std::vector<bool> passed_over(tree.directories().size());
  object_companions companions;
  for (std::uint32_t id = 0; id < tree.directories().size(); ++id)
    for (const std::string& name : tree.directories()[id].listing.possible_objects) companions.note_listed(id, name);
  for (std::size_t k = 0; k < ordered.size(); ++k) {
    const recognition_rule* rule = find_rule(ordered[k].c_str());
    for (const file_searcher::candidate& match : searcher.candidates[k]) {
      const platform::tree_directory* directory = passed_over[match.directory] ? nullptr : tree.open(match.directory);
      if (directory == nullptr && !passed_over[match.directory]) {
        const std::uint32_t error = platform::get_last_error();
        passed_over[match.directory] = true;
        // Gone since the walk, with what it held, is passed over in silence.
        if (!is_gone_directory(error)) report_tolerated_failure(tree.path(match.directory).c_str(), error);
      }
      if (directory != nullptr) {
        const std::string path = tree.path_of(match.directory, match.name);
        const platform::tree_entry entry{directory, match.name.c_str(), path.c_str(), match.listed_as};
        // Notes or split debug information whose object stays are kept without a word.
        const bool described_stays = rule != nullptr && describes_an_object(rule->modern) &&
                                     !companions.may_go(match.directory, match.name);
        // What the tally counts is what went, or in a dry run or for a hint would go.
        const std::uint64_t taken_before = tally.files() + tally.modern_only_files();
        try {
          if (!described_stays && clean_candidate(entry, rule, settings, tally, k, match.directory))
            anything_removed = true;
        } catch (const std::exception&) {
          note_run_end_place(path);
          throw;
        }
        if (tally.files() + tally.modern_only_files() != taken_before)
          companions.note_taken(match.directory, match.name);
      }
      progress.removing(++done, candidates, tally.bytes());
    }
  }
  if (settings.dry_run) {
    tally.report_dry_run(root);
    if (settings.summary) {
      tally.report_breakdown(
          ordered, [&](std::uint32_t folder) { return tree.path(folder); },
          [&](std::uint32_t folder) { return tree.directories()[folder].parent; });
      tally.report_data_elsewhere();
    }
  } else if (settings.summary || settings.summary_at_terminal) {
    tally.report_tree(root, settings.use_recycle_bin);
  }
  if (settings.summary || settings.summary_at_terminal) tally.report_left(settings.older_than_days);
  if (run_total != nullptr) run_total->add(tally);
  return anything_removed;
}
