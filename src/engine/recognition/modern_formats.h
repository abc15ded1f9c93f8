#pragma once
#include <cstddef>

// The kinds of build output that today's tool chains write in formats the
// classic signatures do not know.
enum class modern_kind {
  none,                // no modern format for the pattern
  object,              // COFF, anonymous-object, ELF relocatable or Mach-O object
  program_database,    // MSF 7.00 container
  precompiled_header,  // clang's CPCH
};

// True when the first `size` bytes of a file are a modern build output of
// `kind`. Only bytes actually present count: a truncated header is no output.
bool is_modern_output(modern_kind kind, const unsigned char* bytes, std::size_t size);
