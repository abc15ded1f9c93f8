#pragma once

namespace platform {
// Lets a program without a console of its own write to the console it was
// typed in, unless its standard output already goes somewhere.
void attach_parent_console();

// Whether standard output, and standard error, are a terminal a person reads.
// Always false where the program has no console of its own (Windows), so its
// output there stays what it has always been.
bool output_is_terminal();
bool errors_are_terminal();

// How many columns the terminal of standard error has; 0 when that is not known.
unsigned error_terminal_columns();

// Whether what goes to standard output is lost: no handle, and no console the
// process was started from (a shortcut, Explorer). False wherever a terminal
// or a file may take it.
bool output_goes_nowhere();
}  // namespace platform
