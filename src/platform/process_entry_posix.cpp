#include <csignal>
#include <string>

#include "app/app_main.h"

// The command-line text is the arguments joined with single spaces, as the
// Windows start-up code hands the text after the program's name.
int main(int argc, char** argv) {
  // A reader that went away must not stop the run: the echo just fails.
  std::signal(SIGPIPE, SIG_IGN);

  std::string command_text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_text += ' ';
    command_text += argv[i];
  }
  // Windows drops every byte up to 0x20 between the program's name and the text.
  std::size_t first = 0;
  while (first < command_text.size() && static_cast<unsigned char>(command_text[first]) <= 0x20) ++first;
  command_text.erase(0, first);

  // No instance handle here: any non-null value marks a normal start.
  static char instance_marker;
  instance_handle instance = &instance_marker;
  const int show_normal = 1;
  store_startup_args(process_startup_args(), instance, nullptr, command_text.c_str(), show_normal);
  return app_main(instance, nullptr, command_text.c_str(), show_normal);
}
