#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/path_syntax.h"

// A walked directory by its place in the tree: no full path is kept, so that
// memory follows the number of directories, not their depth.
struct directory_record {
  std::uint32_t parent;  // the root is its own parent
  std::string name;      // empty for the root
};

// The path of directory `index` of `records`, whose root, index 0, is `root`
// as given: below it, the root's preferred form joined with each name on the
// way down. `records` is anything whose items have `parent` and `name`.
template <typename records_type>
std::string directory_path(const std::string& root, const records_type& records, std::uint32_t index) {
  if (index == 0) return root;
  std::vector<std::uint32_t> way;
  for (std::uint32_t at = index; at != 0; at = records[at].parent) way.push_back(at);
  std::string path = platform::preferred_form(root);
  std::for_each(way.rbegin(), way.rend(), [&](std::uint32_t step) { platform::append_name(path, records[step].name); });
  return path;
}
