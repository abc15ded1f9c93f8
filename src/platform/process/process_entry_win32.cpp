#include <windows.h>

#include <string>

#include "app/app_main.h"
#include "app/startup_args.h"
#include "platform/text/wide_text_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int show_state) {
  // The C++ runtime sets up its exception state on the first throw, and that
  // set-up clears the thread's last-error value. Do it now, so the first real
  // failure still carries its code into the exception report.
  try {
    throw 0;
  } catch (int) {
  }
  // The runtime's text is in the ANSI code page, which cannot name every
  // folder: the same text is taken from the wide command line instead.
  const std::string command_text = platform::from_wide(platform::after_program_name(GetCommandLineW()));
  store_startup_args(process_startup_args(), instance, previous, command_text.c_str(), show_state);
  return app_main(instance, previous, command_text.c_str(), show_state);
}
