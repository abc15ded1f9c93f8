#include "app/run_end_line.h"

#include <boost/filesystem.hpp>
#include <cstring>
#include <new>

#include "diag/run_end_place.h"
#include "diag/texts.h"
#include "platform/text/display_text.h"
#include "platform/text/error_codes.h"

std::string run_end_line(const std::exception& error, std::uint32_t code, const std::string* given) {
  if (given == nullptr) return std::string("brulo: the run ended: ") + error.what();
  const std::string& tree = *given;
  if (tree.empty()) return "brulo: -f needs a folder: -f FOLDER";
  std::string path = platform::displayed_name(tree);
  std::string cause;
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr || std::strcmp(error.what(), texts::out_of_memory) == 0) {
    cause = "not enough memory";
  } else if (std::strcmp(error.what(), texts::file_operator_not_open) == 0 && !run_end_place().empty()) {
    path = platform::displayed_name(run_end_place());
    cause = "a folder named like a build output file; rename it";
  } else if (const auto* walk = dynamic_cast<const boost::filesystem::filesystem_error*>(&error)) {
    if (!walk->path1().empty()) path = walk->path1().string();
    if (code == error_code::directory_invalid || walk->code() == boost::system::errc::not_a_directory)
      cause = "not a folder";
    else if (code == error_code::file_not_found || code == error_code::path_not_found)
      cause = "no such folder";
    else if (code == error_code::access_denied)
      cause = "permission denied";
    else
      cause = walk->code().message();
  } else {
    cause = error.what();
  }
  return "brulo: cannot clean " + path + ": " + cause;
}
