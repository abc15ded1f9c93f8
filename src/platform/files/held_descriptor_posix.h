#pragma once
#include <unistd.h>

namespace platform {
// One descriptor, closed when its holder goes.
class held_descriptor {
 public:
  explicit held_descriptor(int fd = -1) : fd_(fd) {}
  ~held_descriptor() { reset(-1); }
  held_descriptor(const held_descriptor&) = delete;
  held_descriptor& operator=(const held_descriptor&) = delete;
  int get() const { return fd_; }
  void reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};
}  // namespace platform
