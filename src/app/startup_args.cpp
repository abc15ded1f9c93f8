#include "app/startup_args.h"

void store_startup_args(startup_args& record, instance_handle instance, instance_handle previous,
                        const char* command_text, int show_state) {
  if (record.instance != nullptr) return;
  record = startup_args{instance, previous, command_text, show_state};
}

startup_args& process_startup_args() {
  static startup_args record;
  return record;
}
