#pragma once
#include <cstdint>

// How the clean pass takes a failed file operation, by its last-error code.

// The file went away since the search (another run, a build): nothing to do.
bool is_gone(std::uint32_t code);

// Recognition could not read the file, but the pass may go on: it is held
// open by another program, or its name does not fit the ANSI code page.
bool is_tolerated_read_failure(std::uint32_t code);

// A removal that failed without ending the pass.
bool is_tolerated_removal_failure(std::uint32_t code);
