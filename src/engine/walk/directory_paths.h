#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/walk/file_searcher.h"

// The paths of walked directories for work that meets them in pre-order: each
// is made from the one before by going up to their common ancestor and down
// again, so that a step costs what the two paths differ by, not their depth.
class directory_paths {
 public:
  explicit directory_paths(const file_searcher& tree);
  virtual ~directory_paths() = default;

  // The path of directory `index`, as file_searcher::directory_path gives
  // it; valid until the next call.
  const std::string& of(std::uint32_t index);

 private:
  const file_searcher& tree_;
  std::string root_;                  // the root as given
  std::string path_;                  // the path of the chain's last directory
  std::vector<std::uint32_t> chain_;  // from the root down to the directory last asked for
  std::vector<std::size_t> ends_;     // the length of path_ at each step of the chain
  std::vector<std::uint32_t> place_;  // per directory: its place on the chain plus one, or 0
  std::vector<std::uint32_t> way_;    // kept between calls, so that a step allocates nothing
};
