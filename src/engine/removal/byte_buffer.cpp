#include "engine/removal/byte_buffer.h"

#include <new>
#include <stdexcept>

#include "diag/texts.h"

byte_buffer::byte_buffer(std::size_t size) {
  if (size == 0) return;
  data_ = new (std::nothrow) unsigned char[size]();
  if (data_ == nullptr) throw std::logic_error(texts::out_of_memory);
  size_ = size;
}

void byte_buffer::release() {
  delete[] data_;
  data_ = nullptr;
  size_ = 0;
}
