#include "diag/progress_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "diag/size_text.h"
#include "platform/process/console.h"
#include "settings/run_settings.h"

namespace {
constexpr auto redraw_interval = std::chrono::milliseconds(100);
constexpr auto default_delay = std::chrono::milliseconds(1000);
constexpr std::size_t bar_width = 20;
const char* const erase_to_end = "\x1b[K";

void write_error_text(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}
}  // namespace

void progress_line::start(std::chrono::milliseconds delay, bool colour) {
  started_ = true;
  colour_ = colour;
  phase_ = phase::none;
  show_from_ = std::chrono::steady_clock::now() + delay;
}

void progress_line::stop() {
  erase();
  started_ = false;
}

void progress_line::restart_walk() {
  directories_ = 0;
  entries_ = 0;
  matches_ = 0;
}

void progress_line::tick(phase now_in) {
  // A new phase is shown at once, so the line never tells of a walk that is over.
  const bool new_phase = now_in != phase_;
  phase_ = now_in;
  const auto now = std::chrono::steady_clock::now();
  if (now < show_from_) return;
  if (drawn_ && !new_phase && now - last_draw_ < redraw_interval) return;
  last_draw_ = now;
  drawn_ = true;
  std::string text;  // as shown, without colour
  std::size_t marks_at = 0;
  std::size_t filled = 0;
  if (phase_ == phase::walking) {
    text = "walking: " + std::to_string(directories_) + (directories_ == 1 ? " folder, " : " folders, ") + std::to_string(entries_) + " entries, " +
           std::to_string(matches_) + " candidates";
  } else {
    const run_settings& settings = process_run_settings();
    const bool dry_run = settings.dry_run;
    const std::size_t percent = total_ == 0 ? 100 : done_ * 100 / total_;
    filled = total_ == 0 ? bar_width : done_ * bar_width / total_;
    text = std::string(dry_run ? "checking: " : "removing: ") + std::to_string(done_) + " of " +
           std::to_string(total_) + " [";
    marks_at = text.size();
    text += std::string(filled, '#') + std::string(bar_width - filled, '-') + "] " + std::to_string(percent) + "% " +
            size_text(bytes_) + (dry_run ? " would go" : settings.use_recycle_bin ? " to the trash" : " freed");
  }
  // A line that fills the terminal wraps, and the erase would leave its first part behind.
  const unsigned columns = platform::error_terminal_columns();
  if (columns > 0 && text.size() >= columns) {
    text.resize(columns - 1);
  } else if (colour_ && filled > 0) {
    text.insert(marks_at + filled, "\x1b[39m");
    text.insert(marks_at, "\x1b[32m");
  }
  write_error_text("\r" + text + erase_to_end);
  shown_ = true;
}

void progress_line::clear() {
  write_error_text(std::string("\r") + erase_to_end);
  shown_ = false;
}

progress_line& process_progress_line() {
  static progress_line line;
  return line;
}

void start_progress_line() {
  const char* term = std::getenv("TERM");
  if (!platform::errors_are_terminal() || (term != nullptr && std::strcmp(term, "dumb") == 0)) return;
  auto delay = default_delay;
  // A test-only setting: the line from this many milliseconds on.
  if (const char* forced = std::getenv("BRULO_PROGRESS_AFTER_MS")) {
    char* end = nullptr;
    const long value = std::strtol(forced, &end, 10);
    if (end != forced && *end == '\0' && value >= 0) delay = std::chrono::milliseconds(value);
  }
  const char* no_colour = std::getenv("NO_COLOR");
  process_progress_line().start(delay, no_colour == nullptr || no_colour[0] == '\0');
}
