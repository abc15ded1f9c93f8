#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/process/worker_thread.h"

// How many threads the walk and the read-ahead use: BRULO_THREADS when it
// holds a whole number of 1 or more (a benchmarking aid; 1 does everything on
// the calling thread), else a default that keeps a disk busy on a small machine.
std::size_t worker_count();
// Whether BRULO_THREADS chose the count; without it the walk and the pass use
// the workers only where the tree turns out not to be in memory.
bool worker_count_forced();

// Threads that each run `body` with their number, joined when the group goes.
// Where the system gives fewer threads than asked for (a task or memory
// limit), the group is as large as it could be made, possibly empty.
class worker_group {
 public:
  worker_group(std::size_t count, const std::function<void(std::size_t)>& body);
  std::size_t size() const { return started_; }
  worker_group(const worker_group&) = delete;
  worker_group& operator=(const worker_group&) = delete;
  virtual ~worker_group();

 private:
  struct worker;
  std::function<void(std::size_t)> body_;
  std::vector<std::unique_ptr<worker>> workers_;
  std::size_t started_ = 0;
};
