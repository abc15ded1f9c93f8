#include "engine/worker_threads.h"

#include <cstdlib>
#include <string>

std::size_t worker_count() {
  if (const char* forced = std::getenv("BRULO_THREADS")) {
    const std::string text = forced;
    if (!text.empty() && text.size() <= 4 && text.find_first_not_of("0123456789") == std::string::npos) {
      const auto count = static_cast<std::size_t>(std::stoul(text));
      if (count >= 1) return count;
    }
  }
  // Enough requests in flight for a disk to serve several at once.
  return 8;
}

worker_group::worker_group(std::size_t count, const std::function<void(std::size_t)>& body) {
  threads_.reserve(count);
  for (std::size_t k = 0; k < count; ++k) threads_.emplace_back(body, k);
}

worker_group::~worker_group() {
  for (std::thread& thread : threads_) thread.join();
}
