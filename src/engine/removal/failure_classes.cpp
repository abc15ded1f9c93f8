#include "engine/removal/failure_classes.h"

#include "diag/last_error_text.h"
#include "diag/message_output.h"
#include "platform/text/display_text.h"
#include "platform/text/error_codes.h"

bool is_gone(std::uint32_t code) { return code == error_code::file_not_found || code == error_code::path_not_found; }

platform::removal_outcome deletion_outcome(std::uint32_t code) {
  return is_gone(code) ? platform::removal_outcome::gone : platform::removal_outcome::refused;
}

void report_tolerated_failure(const char* path, std::uint32_t error) {
  last_error_text error_text;
  error_text.update(error, true);
  output_message("%s\n%s", error_text.text(), platform::displayed_name(path).c_str());
}
