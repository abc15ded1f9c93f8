#include "engine/removal/failure_classes.h"

#include "diag/last_error_text.h"
#include "diag/message_output.h"
#include "platform/text/display_text.h"
#include "platform/text/error_codes.h"

bool is_gone(std::uint32_t code) { return code == error_code::file_not_found || code == error_code::path_not_found; }

bool is_refused_by_the_volume(std::uint32_t code) {
  switch (code) {
    case error_code::too_many_open_files:    // a server that allows fewer open files
    case error_code::write_protect:          // a card's write-protect switch
    case error_code::network_access_denied:  // a read-only share
    case error_code::virus_infected:         // blocked by the virus scanner
    case error_code::virus_deleted:
    case error_code::cant_access_file:       // a reparse tag the system cannot read
      return true;
    default:
      return false;
  }
}

bool is_tolerated_read_failure(std::uint32_t code) {
  return code == error_code::sharing_violation || code == error_code::invalid_name || is_refused_by_the_volume(code);
}

bool is_tolerated_removal_failure(std::uint32_t code) {
  return code == error_code::access_denied || code == error_code::invalid_handle || is_tolerated_read_failure(code);
}

platform::removal_outcome deletion_outcome(std::uint32_t code) {
  if (is_gone(code)) return platform::removal_outcome::gone;
  if (is_tolerated_removal_failure(code)) return platform::removal_outcome::refused;
  return platform::removal_outcome::failed;
}

bool is_unreachable_directory(std::uint32_t code) { return code == error_code::invalid_name; }

void report_tolerated_failure(const char* path, std::uint32_t error) {
  last_error_text error_text;
  error_text.update(error, true);
  output_message("%s\n%s", error_text.text(), platform::displayed_name(path).c_str());
}
