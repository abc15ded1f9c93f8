#pragma once
#include <cstddef>

// A zero-filled heap block owned by one object. Creation throws std::logic_error
// when the block cannot be allocated; a size of 0 holds no block.
class byte_buffer {
 public:
  explicit byte_buffer(std::size_t size);
  byte_buffer(const byte_buffer&) = delete;
  byte_buffer& operator=(const byte_buffer&) = delete;
  virtual ~byte_buffer() { release(); }

  unsigned char* data() { return data_; }
  std::size_t size() const { return size_; }
  void release();

 private:
  unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
};
