#include "engine/failure_classes.h"

#include "platform/error_codes.h"

bool is_gone(std::uint32_t code) { return code == error_code::file_not_found || code == error_code::path_not_found; }

bool is_tolerated_read_failure(std::uint32_t code) {
  return code == error_code::sharing_violation || code == error_code::invalid_name;
}

bool is_tolerated_removal_failure(std::uint32_t code) {
  return code == error_code::access_denied || code == error_code::invalid_handle || is_tolerated_read_failure(code);
}
