#include "diag/last_error_text.h"

#include "platform/text/last_error.h"
#include "platform/text/system_message.h"

void last_error_text::update(std::uint32_t code, bool use_code) {
  text_.clear();
  const std::uint32_t chosen = use_code ? code : platform::get_last_error();
  std::string system_text;
  const bool known = platform::system_message_text(chosen, system_text);
  text_ = "ERROR Message:";
  if (known) text_ += system_text;
}
