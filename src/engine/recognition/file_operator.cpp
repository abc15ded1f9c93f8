#include "engine/recognition/file_operator.h"

#include <stdexcept>

#include "diag/texts.h"

void file_operator::open() {
  close();
  handle_.open(platform::tree_entry{nullptr, file_name.c_str(), file_name.c_str()});
}

void file_operator::open(const platform::tree_entry& entry, const platform::file_status& expected) {
  close();
  if (entry.path != file_name.c_str()) file_name = entry.path;
  handle_.open(entry, expected);
}

void file_operator::open_listed(const platform::tree_entry& entry, platform::file_status& status) {
  close();
  if (entry.path != file_name.c_str()) file_name = entry.path;
  handle_.open_listed(entry, status);
}

platform::read_only_file& file_operator::get_handle() {
  if (!handle_.is_open()) throw std::runtime_error(texts::file_operator_not_open);
  return handle_;
}

std::size_t file_operator::read(void* buffer, std::size_t length) { return get_handle().read(buffer, length); }

void file_operator::close() { handle_.close(); }
