#pragma once
#include <string>

// The entry a run that ended was working on, for the plain line that tells a
// person at a terminal what happened; empty when none was.
void note_run_end_place(const std::string& path);
const std::string& run_end_place();
