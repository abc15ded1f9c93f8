#pragma once
#include <cstdint>

#include "app/startup_args.h"

class command_line;

// Exit statuses of a run.
constexpr std::int32_t status_finished = 0;
constexpr std::int32_t status_no_folder = 9;
constexpr std::int32_t status_failed = -1;

// The main routine, called once by the process entry after it has stored its
// arguments with store_startup_args; returns the exit status.
std::int32_t app_main(instance_handle instance, instance_handle previous, const char* command_text,
                      int show_state);

// Ends a run whose arguments could not all be carried in a command-line text:
// the options of `text_before` (formed from the arguments before the refused
// one) count as they would have, then the run stops as at an unknown option
// word, naming `refused_what`.
std::int32_t refuse_argument(const char* text_before, const char* refused_what);

// Writes the run header and cleans the trees the command line names (or the
// folder the user picks when it is empty).
std::int32_t run_targets(command_line& line, instance_handle instance);
