#pragma once
#include <cstddef>
#include <cstdint>

// The kinds of build output that today's tool chains write in formats the
// classic signatures do not know.
enum class modern_kind {
  none,                    // no modern format for the pattern
  object,                  // COFF, anonymous-object, ELF relocatable, Mach-O or LLVM bitcode object
  libtool_object,          // libtool's object descriptor, or an object under its name
  resource_object,         // a resource script compiled into a COFF object (MinGW-w64's windres)
  program_database,        // MSF 7.00 container
  precompiled_header,      // clang's CPCH
  gcc_precompiled_header,  // GCC's gpch, or clang's CPCH under GCC's name
  gcc_module,              // GCC's compiled module interface, an ELF file of type and machine 0
  ifc_module,              // MSVC's compiled module interface
  anonymous_object,        // MSVC's incremental link-time-code-generation object
  coverage_notes,          // gcov notes of a --coverage compile
  coverage_data,           // gcov counts of a run of a --coverage program
  raw_profile,             // clang's raw instrumentation profile of one run
  indexed_profile,         // llvm-profdata's merged profile
  split_debug_info,        // the DWARF that -gsplit-dwarf moves out of an object
  browse_database,         // Visual Studio's SQLite browse database
};

// The longest first line of a libtool object descriptor read: "# NAME.lo - a
// libtool object file" for the longest name a system gives a file.
constexpr std::size_t libtool_first_line_limit = 1024;

// True when the first `size` bytes of a file of `file_size` bytes are a modern
// build output of `kind`. Only bytes actually present count: a truncated
// header is no output.
bool is_modern_output(modern_kind kind, const unsigned char* bytes, std::size_t size, std::uint64_t file_size);
