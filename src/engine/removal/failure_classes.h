#pragma once
#include <cstdint>

#include "platform/files/file_removal.h"

// How the clean takes a failed file operation.
//
// Only these end a run:
//   - the root named on the command line cannot be walked: its first open,
//     its status or its own listing fails;
//   - a real folder (not a link) named like one of the ten classic patterns;
//   - a command-line error (before anything is cleaned);
//   - no memory.
// Every other failure met for one entry (reading or judging a candidate;
// opening, listing or reopening a folder; moving or deleting) is a refusal:
// the entry's path and its code are reported, the entry is kept, and the run
// goes on. An entry gone by the time it is reached is passed over in silence.

// The file went away since the search (another run, a build): nothing to do.
bool is_gone(std::uint32_t code);

// How a failed deletion ends, by its last-error code: gone or refused.
platform::removal_outcome deletion_outcome(std::uint32_t code);

// The system's text for `error`, then the path; the file or directory stays.
void report_tolerated_failure(const char* path, std::uint32_t error);
