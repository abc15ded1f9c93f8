#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>

// A queue that hands items from one thread to another; pop waits for an item
// until the queue is closed.
template <typename item>
class blocking_queue {
 public:
  void push(item value) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      items_.push_back(std::move(value));
    }
    ready_.notify_one();
  }

  // False once the queue is closed and empty.
  bool pop(item& value) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return closed_ || !items_.empty(); });
    if (items_.empty()) return false;
    value = std::move(items_.front());
    items_.pop_front();
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
  std::deque<item> items_;
  bool closed_ = false;
};
