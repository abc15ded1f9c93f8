#include "engine/read_ahead.h"

#include <algorithm>
#include <exception>

#include "platform/file_status.h"
#include "platform/last_error.h"
#include "platform/path_syntax.h"
#include "platform/read_only_file.h"

read_ahead::read_ahead(const file_searcher& tree, std::size_t threads, std::size_t descriptors)
    : tree_(tree) {
  for (const auto& matches : tree_.candidates) {
    pattern_starts_.push_back(total_);
    total_ += matches.size();
  }
  // Each worker needs a few descriptors for its way down and one for the file.
  constexpr std::size_t fewest_each = 4;
  const std::size_t workers = std::min(threads, descriptors / fewest_each);
  if (workers == 0) return;
  descriptors_each_ = descriptors / workers - 1;
  window_ = 64 * workers;
  workers_ = std::make_unique<worker_group>(workers, [this](std::size_t) { work(); });
}

read_ahead::~read_ahead() {
  // A failure being reported must survive the clean-up: joining threads may touch the last error.
  const int saved = platform::native_last_error();
  stopping_ = true;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
  }
  moved_on_.notify_all();
  workers_.reset();
  platform::set_native_last_error(saved);
}

void read_ahead::passed(std::size_t position) {
  passed_.store(position, std::memory_order_relaxed);
  // Waking the workers once per stretch of the window is enough to keep them ahead.
  if (position % 16 == 0) {
    { const std::lock_guard<std::mutex> lock(mutex_); }
    moved_on_.notify_all();
  }
}

void read_ahead::work() {
  directory_cursor cursor(tree_, descriptors_each_);
  directory_paths paths(tree_);
  for (;;) {
    const std::size_t position = next_.fetch_add(1);
    if (position >= total_) return;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      moved_on_.wait(lock, [&] { return stopping_ || position < passed_.load() + window_; });
    }
    if (stopping_) return;
    // Behind the pass already: it has read that one itself.
    if (position < passed_.load()) continue;
    try {
      warm(position, cursor, paths);
    } catch (const std::exception&) {
      // The pass meets the same failure at its turn, and reports it there.
    }
  }
}

void read_ahead::warm(std::size_t position, directory_cursor& cursor, directory_paths& paths) {
  const auto pattern = static_cast<std::size_t>(
      std::upper_bound(pattern_starts_.begin(), pattern_starts_.end(), position) - pattern_starts_.begin() - 1);
  const file_searcher::candidate& match = tree_.candidates[pattern][position - pattern_starts_[pattern]];
  const platform::tree_directory* directory = cursor.open(match.directory);
  if (directory == nullptr) return;
  const std::string path = paths.of(match.directory) + platform::path_separator + match.name;
  const platform::tree_entry entry{directory, match.name.c_str(), path.c_str(), match.listed_as};
  platform::file_status status;
  // Only a regular file is opened, as the pass itself does.
  if (!platform::stat_entry(entry, status) || status.type != platform::file_status::kind::regular) return;
  platform::read_only_file file;
  if (!file.open(entry, status)) return;
  char start[64];
  file.read(start, sizeof start);
}
