#pragma once
#include <cstdio>
#include <string>

// Access-mode words for open_mode: an access word, then a suffix.
namespace open_mode_word {
constexpr const char* read = "r";
constexpr const char* write = "w";
constexpr const char* append = "a";
constexpr const char* read_update = "r+";
constexpr const char* write_update = "w+";
constexpr const char* append_update = "a+";
constexpr const char* binary = "b";
constexpr const char* text = "t";
}  // namespace open_mode_word

// A stream file that is closed at the latest when the object goes.
class file_operator {
 public:
  file_operator() = default;
  file_operator(const file_operator&) = delete;
  file_operator& operator=(const file_operator&) = delete;
  virtual ~file_operator() { close(); }

  // Closes a stream already open, then opens file_name with open_mode.
  // A failure leaves the object closed.
  void open();
  bool is_open() const { return handle_ != nullptr; }
  // The open stream; throws std::runtime_error when closed.
  std::FILE* get_handle() const;
  void close();

  std::string file_name;
  std::string open_mode;

 private:
  std::FILE* handle_ = nullptr;
};
