#include "engine/walk/worker_threads.h"

#include <cstdlib>
#include <new>
#include <string>

namespace {
// The count BRULO_THREADS asks for, or 0.
std::size_t forced_count() {
  const char* forced = std::getenv("BRULO_THREADS");
  if (forced == nullptr) return 0;
  const std::string text = forced;
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  return static_cast<std::size_t>(std::stoul(text));
}
}  // namespace

std::size_t worker_count() {
  const std::size_t forced = forced_count();
  // Enough requests in flight for a disk to serve many at once; the threads
  // mostly wait, so more of them than processors pays.
  return forced >= 1 ? forced : 24;
}

bool worker_count_forced() { return forced_count() >= 1; }

struct worker_group::worker {
  const std::function<void(std::size_t)>* body;
  std::size_t number;
  platform::worker_thread thread;

  static void run(void* self) {
    auto* me = static_cast<worker*>(self);
    (*me->body)(me->number);
  }
};

worker_group::worker_group(std::size_t count, const std::function<void(std::size_t)>& body) : body_(body) {
  try {
    workers_.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
      workers_.push_back(std::make_unique<worker>());
      workers_.back()->body = &body_;
      workers_.back()->number = k;
      // Fewer threads than asked for (a task or memory limit): the ones there are do the work.
      if (!workers_.back()->thread.start(worker::run, workers_.back().get())) break;
      ++started_;
    }
  } catch (const std::bad_alloc&) {
  }
}

worker_group::~worker_group() {
  for (auto& one : workers_) one->thread.join();
}
