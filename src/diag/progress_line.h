#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>

// One line on standard error that shows how a long run is getting on. It is
// drawn only once the run has lasted a while, redrawn in place at most ten
// times a second, and erased before any message is written and at the end,
// so no progress text ever stands among the messages. Until it is started,
// every call is a test of one flag.
class progress_line {
 public:
  virtual ~progress_line() = default;

  // Draws from `delay` after now on; with `colour`, the bar in colour.
  void start(std::chrono::milliseconds delay, bool colour);
  // Erases the line for good.
  void stop();

  // The walk has listed `directories` more, holding `entries` entries, `matches` of them candidates.
  void walked(std::size_t directories, std::size_t entries, std::size_t matches) {
    if (!started_) return;
    if (phase_ != phase::walking) restart_walk();
    directories_ += directories;
    entries_ += entries;
    matches_ += matches;
    tick(phase::walking);
  }
  // The removal pass has dealt with `done` of its `total` candidates and taken `bytes`.
  void removing(std::size_t done, std::size_t total, std::uint64_t bytes) {
    if (!started_) return;
    done_ = done;
    total_ = total;
    bytes_ = bytes;
    tick(phase::removing);
  }
  // Takes the line off the screen until the next redraw.
  void erase() {
    if (shown_) clear();
  }

 private:
  enum class phase { none, walking, removing };
  void restart_walk();
  void tick(phase now);
  void clear();

  bool started_ = false;
  bool colour_ = false;
  bool shown_ = false;
  bool drawn_ = false;
  phase phase_ = phase::none;
  std::chrono::steady_clock::time_point show_from_;
  std::chrono::steady_clock::time_point last_draw_;
  std::size_t directories_ = 0;
  std::size_t entries_ = 0;
  std::size_t matches_ = 0;
  std::size_t done_ = 0;
  std::size_t total_ = 0;
  std::uint64_t bytes_ = 0;
};

// The process-wide line; its calls come from the thread that runs the clean.
progress_line& process_progress_line();

// Starts the process-wide line when standard error is a terminal that can
// redraw a line (TERM is not "dumb"), after a second, or after
// BRULO_PROGRESS_AFTER_MS milliseconds (for tests); without colour under NO_COLOR.
void start_progress_line();
