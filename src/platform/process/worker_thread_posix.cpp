#include "platform/process/worker_thread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <new>

namespace platform {
namespace {
constexpr std::size_t stack_size = 256 * 1024;
// What a thread's listings and the rest of the run may still want besides its stack.
constexpr std::size_t room_to_work = 8u << 20;

// Under a limit of the address space, a thread only while the work keeps room:
// past it, the threads' own allocations would fail where fewer threads would not.
bool room_for_a_thread() {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
  unsigned long pages = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "re");
  if (statm == nullptr) return true;
  const bool read = std::fscanf(statm, "%lu", &pages) == 1;
  std::fclose(statm);
  const auto in_use = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
  return !read || in_use + stack_size + room_to_work <= limit.rlim_cur;
}

struct start_request {
  void (*body)(void*);
  void* argument;
};

void* run(void* request) {
  const start_request start = *static_cast<start_request*>(request);
  delete static_cast<start_request*>(request);
  start.body(start.argument);
  return nullptr;
}
}  // namespace

bool worker_thread::start(void (*body)(void*), void* argument) {
  if (started_ || !room_for_a_thread()) return false;
  auto* request = new (std::nothrow) start_request{body, argument};
  auto* thread = new (std::nothrow) pthread_t;
  pthread_attr_t attributes;
  bool made = request != nullptr && thread != nullptr && pthread_attr_init(&attributes) == 0;
  if (made) {
    made = pthread_attr_setstacksize(&attributes, stack_size) == 0 &&
           pthread_create(thread, &attributes, run, request) == 0;
    pthread_attr_destroy(&attributes);
  }
  if (!made) {
    delete request;
    delete thread;
    return false;
  }
  handle_ = thread;
  started_ = true;
  return true;
}

void worker_thread::join() {
  if (!started_) return;
  auto* thread = static_cast<pthread_t*>(handle_);
  pthread_join(*thread, nullptr);
  delete thread;
  handle_ = nullptr;
  started_ = false;
}
}  // namespace platform
