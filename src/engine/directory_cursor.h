#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/file_searcher.h"
#include "platform/tree_directory.h"

// Opens the walked directories again for the work on their matches, each
// relative to its parent: it keeps the chain from the root to the directory
// in hand open, so that moving on in pre-order opens each directory once.
class directory_cursor {
 public:
  explicit directory_cursor(const file_searcher& tree) : tree_(tree) {}

  // The open directory of that index; null when it has gone since the walk,
  // and its files with it. Throws std::runtime_error, as a file there that
  // cannot be opened does, when it cannot be opened for another reason.
  const platform::tree_directory* open(std::uint32_t index);

 private:
  const file_searcher& tree_;
  std::vector<std::uint32_t> chain_;                               // root first
  std::vector<std::unique_ptr<platform::tree_directory>> opened_;  // one per chain_ entry
};
