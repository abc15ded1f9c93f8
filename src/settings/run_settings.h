#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the option words of the command line set; filled once, then only read.
class run_settings {
 public:
  virtual ~run_settings() = default;

  std::int32_t clean_mode = 1;  // "vc" 1, "mingw" 2, "alltrash_delete_mode" -1
  bool use_recycle_bin = false;
  bool show_message_box = false;
  bool output_log = false;
  bool delete_zero_size = false;
  bool modern_outputs = false;  // also today's objects, program databases and precompiled headers
  bool dry_run = false;         // report what would go, remove nothing
  std::int32_t older_than_days = -1;    // keep outputs younger than this; -1: no age limit
  std::vector<std::string> skip_names;  // directory names (with wildcards) not entered
  bool summary = false;                 // files and bytes removed, per tree and in all
  bool summary_at_terminal = false;     // standard output is a terminal: the summary lines without being asked
  bool summary_in_box = false;          // no output takes the summary: it shows in a box at the end
  bool hints_shown = false;             // a person reads the end of the run: hints follow it
};

// The process-wide settings.
run_settings& process_run_settings();
