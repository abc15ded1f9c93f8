#pragma once
#include <cstdarg>
#include <cstddef>

// The buffer every message is prepared in: at most 2047 bytes of text.
constexpr std::size_t message_buffer_size = 2048;
// The run log, in the working directory.
extern const char* const run_log_name;

// Formats into `buffer` (message_buffer_size bytes) and makes the text end in
// a line feed. Returns the length of the prepared text.
std::size_t prepare_message(char* buffer, const char* format, std::va_list arguments);

// Formats a message, appends it to the run log when output_log is set, and
// echoes it to standard output followed by an empty line. Always true.
bool output_message(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same echo without the run log: for what only a terminal asked for.
bool echo_message(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends one prepared message to the named log. False when it cannot be opened.
bool append_to_log(const char* file_name, const char* format, ...) __attribute__((format(printf, 2, 3)));
