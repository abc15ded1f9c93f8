#include "diag/exception_report.h"

#include <cstdarg>
#include <cstdio>

#include "diag/last_error_text.h"
#include "diag/message_box_format.h"
#include "diag/message_output.h"
#include "diag/time_stamp.h"
#include "platform/text/last_error.h"
#include "settings/run_settings.h"

const char* const exception_log_name = "brulo_exception.log";

namespace {
const char* const error_block_format = "GetLastError ID = %d\nLastError details=%s\nMessage=%s";
}

bool record_exception(const run_settings& settings, const std::exception& error, const char* format, ...) {
  // Saved before anything of ours can change it, formatting the context included.
  const auto saved_code = static_cast<std::int32_t>(platform::get_last_error());
  char context[message_buffer_size] = {};
  std::va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(context, sizeof context, format, arguments);
  va_end(arguments);
  return write_exception_report(settings, error.what(), saved_code, context);
}

bool write_exception_report(const run_settings& settings, const char* what, std::int32_t saved_code,
                            const char* context) {
  char stamp[64] = {};
  local_time_text(stamp, sizeof stamp);
  append_to_log(exception_log_name, "%s:\n%s\n", stamp, what);

  last_error_text details;
  details.update(static_cast<std::uint32_t>(saved_code), true);
  append_to_log(exception_log_name, error_block_format, saved_code, details.text(), context);

  output_message("Exception Message = %s", what);
  if (settings.show_message_box) message_box_format("Error", error_block_format, saved_code, details.text(), context);
  return output_message(error_block_format, saved_code, details.text(), context);
}
