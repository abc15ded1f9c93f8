#pragma once
#include <cstdint>

#include "platform/files/file_removal.h"

// How the clean pass takes a failed file operation, by its last-error code,
// and how it reports one that it passes over.

// The file went away since the search (another run, a build): nothing to do.
bool is_gone(std::uint32_t code);

// What a volume refuses one file for, while the next may well go: too many
// open files on a server, a write-protected card, a read-only share, the
// virus scanner, a reparse tag the system cannot read.
bool is_refused_by_the_volume(std::uint32_t code);

// Recognition could not read the file, but the pass may go on: it is held
// open by another program, the system takes its name for an invalid one, or
// the volume refuses it.
bool is_tolerated_read_failure(std::uint32_t code);

// A removal that failed without ending the pass.
bool is_tolerated_removal_failure(std::uint32_t code);

// How a failed deletion ends, by its last-error code.
platform::removal_outcome deletion_outcome(std::uint32_t code);

// A directory whose name the system takes for an invalid one: listed, but no call can reach it.
bool is_unreachable_directory(std::uint32_t code);

// The system's text for `error`, then the path; the file or directory stays.
void report_tolerated_failure(const char* path, std::uint32_t error);
