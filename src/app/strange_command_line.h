#pragma once

// The two messages that refuse a command line: the general complaint, then
// "Error Command Line = " with what was refused.
void report_strange_command_line(const char* what);
