#pragma once
#include <string>

#include "platform/files/read_only_file.h"

// A file opened for reading that is closed at the latest when the object goes.
class file_operator {
 public:
  file_operator() = default;
  file_operator(const file_operator&) = delete;
  file_operator& operator=(const file_operator&) = delete;
  virtual ~file_operator() { close(); }

  // Closes a file already open, then opens file_name. A failure leaves the object closed.
  void open();
  // The same for an entry of an open directory whose status was just asked;
  // file_name becomes its full path.
  void open(const platform::tree_entry& entry, const platform::file_status& expected);
  // The same for an entry listed as a plain file; `status` receives its status.
  void open_listed(const platform::tree_entry& entry, platform::file_status& status);
  bool is_open() const { return handle_.is_open(); }
  // The open file; throws std::runtime_error when closed.
  platform::read_only_file& get_handle();
  // Reads up to `length` bytes from the start, or after what the last read
  // gave, and returns how many it read;
  // bytes it cannot read stay as they are. Throws std::runtime_error when closed.
  std::size_t read(void* buffer, std::size_t length);
  void close();

  std::string file_name;

 private:
  platform::read_only_file handle_;
};
