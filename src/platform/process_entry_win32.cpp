#include <windows.h>

#include "app/app_main.h"
#include "app/startup_args.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_text, int show_state) {
  store_startup_args(process_startup_args(), instance, previous, command_text, show_state);
  return app_main(instance, previous, command_text, show_state);
}
