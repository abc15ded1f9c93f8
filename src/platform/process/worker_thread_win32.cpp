#include "platform/process/worker_thread.h"

#include <windows.h>

#include <new>

namespace platform {
namespace {
constexpr std::size_t stack_size = 256 * 1024;

struct start_request {
  void (*body)(void*);
  void* argument;
};

DWORD WINAPI run(void* request) {
  const start_request start = *static_cast<start_request*>(request);
  delete static_cast<start_request*>(request);
  start.body(start.argument);
  return 0;
}
}  // namespace

bool worker_thread::start(void (*body)(void*), void* argument) {
  if (started_) return false;
  auto* request = new (std::nothrow) start_request{body, argument};
  if (request == nullptr) return false;
  const HANDLE thread = CreateThread(nullptr, stack_size, run, request, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) {
    delete request;
    return false;
  }
  handle_ = thread;
  started_ = true;
  return true;
}

void worker_thread::join() {
  if (!started_) return;
  WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
  CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
  started_ = false;
}
}  // namespace platform
