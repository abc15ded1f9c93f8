#include "platform/process/worker_thread.h"

#include <pthread.h>

#include <new>

namespace platform {
namespace {
constexpr std::size_t stack_size = 256 * 1024;

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
  if (started_) return false;
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
