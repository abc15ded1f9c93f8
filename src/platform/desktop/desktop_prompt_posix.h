#pragma once
#include <string>
#include <vector>

// What the message box and the folder picker share on a POSIX desktop:
// zenity where there is a display, the controlling terminal where there is not.
namespace platform {
// True when a desktop display is named for this process.
bool display_available();

// Runs zenity with `arguments` and waits for it; its standard output goes to
// `output` when given. Returns zenity's exit status, or -1 when it did not run
// or could not reach the display (so nothing was shown).
int run_zenity(const std::vector<std::string>& arguments, std::string* output);

// Writes `prompt` to the controlling terminal and reads one line (without its
// line feed) into `answer`. False when there is no terminal to ask.
bool ask_terminal(const std::string& prompt, std::string& answer);

// Writes `text` to the controlling terminal, if there is one.
void tell_terminal(const std::string& text);
}  // namespace platform
