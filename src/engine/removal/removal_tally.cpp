#include "engine/removal/removal_tally.h"

#include <string>

#include "diag/message_output.h"
#include "diag/size_text.h"
#include "platform/text/display_text.h"

// Numbers are spelled out by hand: the Windows C runtime's printf has no portable 64-bit length.
void removal_tally::report_dry_run(const char* root) const {
  output_message("dry run: %s files, %s bytes would be removed from %s", std::to_string(files_).c_str(),
                 std::to_string(bytes_).c_str(), platform::displayed_name(root).c_str());
}

void removal_tally::report_tree(const char* root, bool to_trash) const {
  output_message("%s: %s files, %s bytes (%s) from %s", to_trash ? "moved to the trash" : "removed",
                 std::to_string(files_).c_str(), std::to_string(bytes_).c_str(), size_text(bytes_).c_str(),
                 platform::displayed_name(root).c_str());
}

void removal_tally::report_total(std::size_t trees, bool to_trash) const {
  output_message("total: %s files, %s bytes (%s) %s from %s trees", std::to_string(files_).c_str(),
                 std::to_string(bytes_).c_str(), size_text(bytes_).c_str(),
                 to_trash ? "moved to the trash" : "removed", std::to_string(trees).c_str());
}
