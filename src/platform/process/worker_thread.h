#pragma once
#include <cstddef>

namespace platform {
// A thread with a small stack: a walk's workers need little, and two dozen
// threads with the system's default stacks can use up a limited address space.
class worker_thread {
 public:
  worker_thread() = default;
  ~worker_thread() { join(); }
  worker_thread(const worker_thread&) = delete;
  worker_thread& operator=(const worker_thread&) = delete;

  // Runs `body(argument)` on a new thread; false when the system gives none.
  bool start(void (*body)(void*), void* argument);
  // Waits for the thread's end; nothing when none was started.
  void join();

 private:
  void* handle_ = nullptr;
  bool started_ = false;
};
}  // namespace platform
