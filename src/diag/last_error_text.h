#pragma once
#include <cstdint>
#include <string>

// "ERROR Message:" followed by the system's text for a Windows error code.
class last_error_text {
 public:
  virtual ~last_error_text() = default;

  // With `use_code` false, the calling thread's last-error value is taken instead of `code`.
  void update(std::uint32_t code, bool use_code);
  const char* text() const { return text_.c_str(); }

 private:
  std::string text_;
};
