#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Asks the user for a folder with the shell's folder browser. On 0 the buffer
// holds the folder's path, as a rule ending in a separator; 3 when none was
// chosen (also for an item that has no file-system path); -1 when `size` is 0
// or the dialog could not be run. A null title stands for the default one.
std::int32_t browse_for_folder(char* buffer, std::size_t size, const char* initial_folder, const char* title,
                               unsigned flags, void* owner_window);

// Appends a separator to a path unless its last byte already is one or it would not fit.
void append_trailing_separator(char* buffer, std::size_t size);

// The process's working directory, without an added separator; empty when it
// cannot be read (on POSIX also when it is longer than 519 bytes).
std::string current_directory();
