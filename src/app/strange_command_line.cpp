#include "app/strange_command_line.h"

#include "diag/message_output.h"
#include "diag/texts.h"
#include "platform/text/display_text.h"

void report_strange_command_line(const char* what) {
  output_message("%s", texts::strange_command_line);
  output_message("Error Command Line = %s", platform::displayed_command_text(what).c_str());
}
