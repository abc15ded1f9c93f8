#pragma once
#include <cstdint>
#include <exception>

class run_settings;

// The exception log, in the working directory.
extern const char* const exception_log_name;

// Reports an exception that ended the run: two records in the exception log,
// an echo through output_message, and a message box when the settings ask for
// one. Call it first thing in the handler, before the last-error value changes.
bool record_exception(const run_settings& settings, const std::exception& error, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// The same report for a last-error code already saved and a prepared context text.
bool write_exception_report(const run_settings& settings, const char* what, std::int32_t saved_code,
                            const char* context);
