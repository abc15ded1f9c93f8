#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/files/file_status.h"
#include "platform/files/tree_directory.h"

namespace platform {
// A regular file opened for reading only, read through the system's own calls
// without a stream buffer; closed at the latest when the object goes.
class read_only_file {
 public:
  read_only_file() = default;
  ~read_only_file() { close(); }
  read_only_file(const read_only_file&) = delete;
  read_only_file& operator=(const read_only_file&) = delete;

  // Opens the entry, a link read through, without waiting. False, with the
  // last error set, when it cannot be opened or is no regular file (a
  // directory: access_denied; a FIFO, socket or device: bad_file_type). Where
  // the platform can tell, a file other than the one `expected` describes
  // (replaced since its status was asked) counts as gone (file_not_found).
  bool open(const tree_entry& entry, const file_status& expected = file_status());
  // Opens an entry its listing found to be a plain file, asking its status
  // through the open file where the platform can, and never through a link
  // put in its place since: that fails with cant_resolve_filename. Anything
  // else put in its place (a folder, a FIFO, a device) fails with bad_file_type.
  bool open_listed(const tree_entry& entry, file_status& status);
  bool is_open() const;
  // Reads up to `length` bytes from the start, or after what the last read
  // gave, and returns how many it read:
  // fewer at the end of the file or where the read fails.
  std::size_t read(void* buffer, std::size_t length);
  // Why the last read gave less than its end, as a Windows error code; 0 when it did not fail.
  std::uint32_t read_error() const { return read_error_; }
  void close();

 private:
  file_state state_;
  std::uint32_t read_error_ = 0;
};
}  // namespace platform
