#pragma once
#include <cstddef>

#include "platform/tree_directory.h"

namespace platform {
// A file opened for reading only, read through the system's own calls
// without a stream buffer; closed at the latest when the object goes.
class read_only_file {
 public:
  read_only_file() = default;
  ~read_only_file() { close(); }
  read_only_file(const read_only_file&) = delete;
  read_only_file& operator=(const read_only_file&) = delete;

  // False, with the last error set, when the entry cannot be opened. Nothing
  // that is neither a regular file nor a directory is opened (bad_file_type),
  // and no open waits.
  bool open(const tree_entry& entry);
  bool is_open() const;
  // Reads up to `length` bytes from the start, `done` of them; fewer at the
  // end of the file or where the read fails. False, with the last error set,
  // only for an entry that is no file (a directory, which POSIX lets open).
  bool read(void* buffer, std::size_t length, std::size_t& done);
  void close();

 private:
  void* handle_ = nullptr;
  int descriptor_ = -1;
};
}  // namespace platform
