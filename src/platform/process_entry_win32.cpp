#include <windows.h>

#include "app/app_main.h"
#include "app/startup_args.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_text, int show_state) {
  // The C++ runtime sets up its exception state on the first throw, and that
  // set-up clears the thread's last-error value. Do it now, so the first real
  // failure still carries its code into the exception report.
  try {
    throw 0;
  } catch (int) {
  }
  store_startup_args(process_startup_args(), instance, previous, command_text, show_state);
  return app_main(instance, previous, command_text, show_state);
}
