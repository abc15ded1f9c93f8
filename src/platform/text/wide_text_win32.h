#pragma once
#include <string>

// Inside the program every path and name is UTF-8; the system's file functions
// take UTF-16. Names on NTFS may hold an unpaired surrogate, so the 8-bit form
// is WTF-8 (a lone surrogate as its own three bytes), and every name round-trips.
namespace platform {
// WTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD.
std::wstring to_wide(const std::string& text);
// UTF-16 to WTF-8.
std::string from_wide(const wchar_t* text, std::size_t length);
std::string from_wide(const std::wstring& text);

// The form of a path handed to a file function: unchanged while it is shorter
// than MAX_PATH; a longer one made absolute and given the "\\?\" prefix
// ("\\?\UNC\server\share\..." for "\\server\share\..."), which lifts the limit.
// Never shown in any text.
std::wstring call_path(const std::string& path);

// Text in the ANSI code page, for what the program writes: '?' for every
// character the code page lacks, never a look-alike (which would name another
// file). Leaves the last-error value as it found it.
std::string ansi_text(const std::wstring& text);

// What the C runtime hands WinMain: the command line after the program's name
// (quoted up to its closing quote, else up to the first blank) and the blanks
// and control characters that follow it.
const wchar_t* after_program_name(const wchar_t* command_line);
}  // namespace platform
