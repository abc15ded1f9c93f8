#pragma once
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/file_identity.h"
#include "platform/tree_directory.h"

// Finds the entries below a directory tree whose names match wildcards, in one
// walk: each directory is listed once and each name is tried once against all
// the patterns. For every pattern the matches come in a fixed order: the
// root's first, then each subdirectory's in depth-first pre-order, each
// directory's in listing order.
class file_searcher {
 public:
  struct directory_record {
    std::uint32_t parent;  // the root is its own parent
    std::string name;      // empty for the root
    std::string path;      // the root as given; below it, the native path
  };
  struct candidate {
    std::uint32_t directory;
    std::string name;
  };
  struct pattern_rule;

  virtual ~file_searcher() = default;

  // Walks the whole tree below `root` before anything else is done with it,
  // keeping the matches of each pattern in `candidates`, one list per pattern.
  // Raises boost::filesystem::filesystem_error when the tree cannot be walked.
  void walk(const char* root, const std::vector<std::string>& patterns);

  // One pattern's matches as full paths, appended to `out`.
  void search(const char* pattern, const char* root, std::list<std::string>& out);

  // The full path of a match, as the platform takes it.
  std::string full_path(const candidate& match) const;

  std::deque<directory_record> directories;         // the root, then every subdirectory in pre-order
  std::vector<std::deque<candidate>> candidates;    // per pattern, in the order above
  // Directories with matches, kept open from the walk where the platform allows; null where not.
  std::vector<std::unique_ptr<platform::tree_directory>> kept_open;
  std::list<std::string> results;                   // the latest search's matches

 private:
  void walk_directory(std::unique_ptr<platform::tree_directory> directory, std::uint32_t index,
                      const std::vector<pattern_rule>& rules);

  std::size_t keep_open_budget_ = 0;

  // The directories already walked, so that a bind mount back up the tree is not walked again.
  std::set<platform::file_identity> visited_;
};
