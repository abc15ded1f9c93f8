#pragma once
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

// A queue that hands items from one thread to another; pop waits for an item
// until the queue is closed. Its room is set once: a push never allocates, so
// a worker can always hand back what it did. The caller never pushes more
// than the room it asked for.
template <typename item>
class blocking_queue {
 public:
  explicit blocking_queue(std::size_t room) : slots_(room) {}

  void push(item value) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      slots_[(first_ + count_) % slots_.size()] = std::move(value);
      ++count_;
    }
    ready_.notify_one();
  }

  // False once the queue is closed and empty.
  bool pop(item& value) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return closed_ || count_ > 0; });
    if (count_ == 0) return false;
    value = std::move(slots_[first_]);
    first_ = (first_ + 1) % slots_.size();
    --count_;
    return true;
  }

  void close() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      closed_ = true;
    }
    ready_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<item> slots_;
  std::size_t first_ = 0;
  std::size_t count_ = 0;
  bool closed_ = false;
};
