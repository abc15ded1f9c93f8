#include "app/strange_command_line.h"

#include "diag/message_output.h"
#include "diag/texts.h"

void report_strange_command_line(const char* what) {
  output_message("%s", texts::strange_command_line);
  output_message("Error Command Line = %s", what);
}
