#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/directory_cursor.h"
#include "engine/directory_paths.h"
#include "engine/file_searcher.h"
#include "engine/worker_threads.h"

// Reads the start of each candidate a little ahead of the removal pass, on
// worker threads, so that the pass's own reads find the file in memory on a
// tree that is not. It decides nothing: the pass judges every file by what it
// reads itself, and a failure here is ignored.
class read_ahead {
 public:
  // Up to `threads` workers, holding no more than `descriptors` open between them.
  read_ahead(const file_searcher& tree, std::size_t threads, std::size_t descriptors);
  read_ahead(const read_ahead&) = delete;
  read_ahead& operator=(const read_ahead&) = delete;
  virtual ~read_ahead();

  // The pass has come to candidate `position`, counted in pass order.
  void passed(std::size_t position);

 private:
  void work();
  void warm(std::size_t position, directory_cursor& cursor, directory_paths& paths);

  const file_searcher& tree_;
  std::size_t descriptors_each_ = 0;
  std::vector<std::size_t> pattern_starts_;  // the position of each pattern's first candidate
  std::size_t total_ = 0;
  std::size_t window_ = 0;
  std::atomic<std::size_t> next_{0};
  std::atomic<std::size_t> passed_{0};
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable moved_on_;
  std::unique_ptr<worker_group> workers_;
};
