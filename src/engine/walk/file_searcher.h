#pragma once
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "engine/walk/directory_listing.h"
#include "engine/walk/walked_tree.h"
#include "platform/files/tree_directory.h"

// Finds the entries below a directory tree whose names match wildcards, in one
// walk: each directory is listed once, several at a time, and each name is
// tried once against all the patterns. For every pattern the matches come in
// a fixed order: the root's first, then each subdirectory's in depth-first
// pre-order, each directory's in listing order.
class file_searcher {
 public:
  struct candidate {
    std::uint32_t directory;  // in tree()
    std::string name;
    platform::entry_kind listed_as = platform::entry_kind::other;
  };

  virtual ~file_searcher() = default;

  // Walks the whole tree below `root` before anything else is done with it,
  // keeping the matches of each pattern in `candidates`, one list per pattern.
  // Directories whose names match `skip_names` are not entered, nor any that
  // holds the keep marker. A directory below the root that cannot be opened or
  // listed, and an entry whose type cannot be asked, is reported in pre-order
  // and passed over. Raises boost::filesystem::filesystem_error when the root
  // cannot be opened or listed, or what listing a directory raised.
  void walk(const char* root, const std::vector<std::string>& patterns,
            const std::vector<std::string>& skip_names = {}, directory_opener opener = open_directory);

  // One pattern's matches as full paths, appended to `out`.
  void search(const char* pattern, const char* root, std::list<std::string>& out);

  // The tree of the last walk, for the work on its matches.
  walked_tree& tree() { return *tree_; }

  std::vector<std::uint32_t> preorder;            // the directories walked, the root first
  std::vector<std::deque<candidate>> candidates;  // per pattern, in the order above
  std::vector<std::uint32_t> kept_directories;    // those holding the keep marker, in pre-order

 private:
  std::unique_ptr<name_rules> rules_;
  std::unique_ptr<walked_tree> tree_;
};
