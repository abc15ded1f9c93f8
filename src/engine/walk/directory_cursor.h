#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <unordered_set>

#include "engine/walk/file_searcher.h"
#include "platform/files/tree_directory.h"

// Opens the walked directories again for the work on their matches, each
// relative to its parent: it keeps the way from the root to the directory in
// hand open, so that moving on in pre-order opens each directory once. At most
// `most_open` stay open: where the way is longer, its upper part is closed and
// opened again when the cursor climbs back, so that any depth can be worked.
class directory_cursor {
 public:
  directory_cursor(const file_searcher& tree, std::size_t most_open);
  virtual ~directory_cursor() = default;

  // The open directory of that index; null when it has gone since the walk,
  // and its files with it. Throws std::runtime_error, as a file there that
  // cannot be opened does, when it cannot be opened for another reason.
  const platform::tree_directory* open(std::uint32_t index);

 private:
  void drop_deepest();
  void forget_chain();

  const file_searcher& tree_;
  std::size_t most_open_;
  std::deque<std::uint32_t> chain_;                               // deepest last
  std::deque<std::unique_ptr<platform::tree_directory>> opened_;  // one per chain_ entry
  std::unordered_set<std::uint32_t> on_chain_;
};
