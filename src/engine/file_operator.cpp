#include "engine/file_operator.h"

#include <stdexcept>

#include "diag/texts.h"
#include "platform/file_stream.h"

void file_operator::open() {
  close();
  handle_ = platform::open_file_stream(file_name.c_str(), open_mode.c_str());
}

std::FILE* file_operator::get_handle() const {
  if (handle_ == nullptr) throw std::runtime_error(texts::file_operator_not_open);
  return handle_;
}

void file_operator::close() {
  if (handle_ == nullptr) return;
  std::fclose(handle_);
  handle_ = nullptr;
}
