#include "engine/recognition/file_start.h"

#include <algorithm>
#include <cstring>

#include "engine/recognition/file_operator.h"

std::size_t read_file_start(file_operator& file, const recognition_rule& rule, unsigned char* bytes) {
  std::size_t size = file.read(bytes, leading_bytes_length);
  if (rule.modern != modern_kind::libtool_object || size < leading_bytes_length || bytes[0] != '#') return size;
  // A little at a time, so that a descriptor is read no further than its first line.
  constexpr std::size_t step = 64;
  while (std::memchr(bytes, '\n', size) == nullptr && size < libtool_first_line_limit) {
    const std::size_t got = file.read(bytes + size, std::min(step, libtool_first_line_limit - size));
    if (got == 0) break;
    size += got;
  }
  return size;
}
