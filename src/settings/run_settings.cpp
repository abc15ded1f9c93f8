#include "settings/run_settings.h"

run_settings& process_run_settings() {
  static run_settings settings;
  return settings;
}
