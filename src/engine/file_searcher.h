#pragma once
#include <deque>
#include <list>
#include <set>
#include <string>

#include "platform/directory_identity.h"

// Finds every entry below a directory tree whose name matches a wildcard:
// the root's matches first, then each subdirectory's, in depth-first pre-order.
class file_searcher {
 public:
  virtual ~file_searcher() = default;

  // Empties `directories` and `results`, walks the whole tree below `root`,
  // then lists the root and every subdirectory with `pattern` into `out`.
  // Raises boost::filesystem::filesystem_error when the tree cannot be walked.
  void search(const char* pattern, const char* root, std::list<std::string>& out);

  std::deque<std::string> directories;  // every subdirectory of the latest search
  std::list<std::string> results;       // its matches, in the order found

 private:
  void collect_directories(std::deque<std::string>& list, const std::string& dir);
  void list_directory(const char* pattern, const std::string& dir, std::list<std::string>& out);

  // The directories already collected, so that a link back up the tree is not walked again.
  std::set<platform::directory_id> visited_;
};
