#pragma once
#include <vector>

// The program's Japanese texts, in the platform's character set: code page 932
// (Shift_JIS) bytes on Windows, UTF-8 elsewhere.
namespace texts {
extern const char* const strange_command_line;   // unrecognised option word
extern const char* const exception_context;      // the top-level guard's report
extern const char* const strange_wildcard;       // pattern outside the rule table
extern const char* const file_operator_not_open; // signature file cannot be opened
extern const char* const impossible;             // a broken invariant of the program itself
extern const char* const out_of_memory;          // path block cannot be allocated
extern const char* const specify_directory;      // the folder picker's default title

// Every text above: a dialog tells them from the names and system texts around them.
const std::vector<const char*>& all();
}  // namespace texts
