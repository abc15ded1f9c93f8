#pragma once
#include <string>
#include <vector>

// Inside the program every path and name is UTF-8; the system's file functions
// take UTF-16. Names on NTFS may hold an unpaired surrogate, so the 8-bit form
// is WTF-8 (a lone surrogate as its own three bytes), and every name round-trips.
namespace platform {
// WTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD.
std::wstring to_wide(const std::string& text);
// UTF-16 to WTF-8.
std::string from_wide(const wchar_t* text, std::size_t length);
std::string from_wide(const std::wstring& text);

// The absolute form of a path as the system resolves it: the working
// directory (of its drive) in front, relative parts and doubled separators
// resolved, each name's trailing dots and spaces dropped; without a "\\?\" or
// "\\.\" prefix before a drive letter, with it before anything else (a
// volume's name, "\\?\Volume{GUID}\"). Made once per root: names listed below it are appended as
// they are. Empty, with the last error set, when it cannot be made.
std::wstring full_path(const std::string& path);

// A full path in the form that reaches every name in it exactly as written,
// at any length: "\\?\C:\..." or "\\?\UNC\server\share\...". Never shown.
std::wstring exact_path(const std::wstring& full);

// The form of a whole path handed to a file function: unchanged while its
// full form is shorter than MAX_PATH (as the system would resolve it); else
// that full form in its exact form, which lifts the limit. Never shown.
std::wstring call_path(const std::string& path);

// Text in the ANSI code page, for what the program writes: '?' for every
// character the code page lacks, never a look-alike (which would name another
// file). Leaves the last-error value as it found it.
std::string ansi_text(const std::wstring& text);

// The program's own texts are Shift_JIS on every system, whatever its ANSI code page.
constexpr unsigned own_text_code_page = 932;

// Bytes in `code_page` (own_text_code_page, or 0 for the ANSI code page) as UTF-16.
std::wstring code_page_to_wide(const std::string& text, unsigned code_page);

// A dialog's text as UTF-16, so the wide functions show it alike in every
// code page: each of `own_texts` in it read as Shift_JIS, the rest (names,
// the system's texts) in the ANSI code page, as it was written.
std::wstring dialog_text(const std::string& text, const std::vector<const char*>& own_texts);

// What the C runtime hands WinMain: the command line after the program's name
// (quoted up to its closing quote, else up to the first blank) and the blanks
// and control characters that follow it.
const wchar_t* after_program_name(const wchar_t* command_line);
}  // namespace platform
