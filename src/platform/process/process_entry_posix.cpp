#include <csignal>
#include <string>
#include <vector>

#include "app/app_main.h"
#include "app/argument_text.h"
#include "platform/process/descriptor_limit.h"

int main(int argc, char** argv) {
  // A reader that went away must not stop the run: the echo just fails.
  std::signal(SIGPIPE, SIG_IGN);
  platform::raise_descriptor_limit();

  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
  const argument_text formed = form_command_text(arguments);
  if (formed.refused) return refuse_argument(formed.text.c_str(), formed.refused_what.c_str());

  // No instance handle here: any non-null value marks a normal start.
  static char instance_marker;
  instance_handle instance = &instance_marker;
  const int show_normal = 1;
  store_startup_args(process_startup_args(), instance, nullptr, formed.text.c_str(), show_normal);
  return app_main(instance, nullptr, formed.text.c_str(), show_normal);
}
