#pragma once

// HINSTANCE on Windows; any non-null value stands for a normal start elsewhere.
using instance_handle = void*;

// The four arguments of the process entry, recorded once.
struct startup_args {
  instance_handle instance = nullptr;
  instance_handle previous_instance = nullptr;
  const char* command_text = nullptr;  // the system's text, not copied
  int show_state = 0;
};

// Stores the arguments while no instance handle is stored yet; the first call wins.
void store_startup_args(startup_args& record, instance_handle instance, instance_handle previous,
                        const char* command_text, int show_state);

// The process-wide record.
startup_args& process_startup_args();
