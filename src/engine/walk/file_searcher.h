#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "engine/walk/directory_record.h"
#include "platform/files/tree_directory.h"

// Finds the entries below a directory tree whose names match wildcards, in one
// walk: each directory is listed once, several at a time, and each name is
// tried once against all the patterns. For every pattern the matches come in
// a fixed order: the root's first, then each subdirectory's in depth-first
// pre-order, each directory's in listing order.
class file_searcher {
 public:
  struct candidate {
    std::uint32_t directory;
    std::string name;
    platform::entry_kind listed_as = platform::entry_kind::other;
  };

  virtual ~file_searcher() = default;

  // Walks the whole tree below `root` before anything else is done with it,
  // keeping the matches of each pattern in `candidates`, one list per pattern.
  // Directories whose names match `skip_names` are not entered, nor any that
  // holds the keep marker. Raises boost::filesystem::filesystem_error when the
  // tree cannot be walked: for the first failure in pre-order.
  void walk(const char* root, const std::vector<std::string>& patterns,
            const std::vector<std::string>& skip_names = {});

  // One pattern's matches as full paths, appended to `out`.
  void search(const char* pattern, const char* root, std::list<std::string>& out);

  // The path of a walked directory, and the full path of a match, as the platform takes them.
  std::string directory_path(std::uint32_t index) const;
  std::string full_path(const candidate& match) const;

  std::deque<directory_record> directories;       // the root, then every subdirectory in pre-order
  std::vector<std::deque<candidate>> candidates;  // per pattern, in the order above
  std::vector<std::uint32_t> kept_directories;    // those holding the keep marker, in pre-order
  // Directories with matches, kept open from the walk where descriptors allow; null where not.
  std::vector<std::unique_ptr<platform::tree_directory>> kept_open;

  // Called with each directory's path before it is opened; a non-zero Windows
  // error code stands for that open's failure. A test seam.
  std::function<std::uint32_t(const std::string&)> open_hook;

 private:
  std::string root_;
};
