#include "engine/dry_run_tally.h"

#include <string>

#include "diag/message_output.h"
#include "platform/display_text.h"

void dry_run_tally::count(const platform::tree_entry& entry, std::uint64_t size) {
  bytes_ += size;
  ++files_;
  output_message("%s", platform::displayed_name(entry.path).c_str());
}

void dry_run_tally::report(const char* root) const {
  // Spelled out by hand: the Windows C runtime's printf has no portable 64-bit length.
  output_message("dry run: %s files, %s bytes would be removed from %s", std::to_string(files_).c_str(),
                 std::to_string(bytes_).c_str(), platform::displayed_name(root).c_str());
}
