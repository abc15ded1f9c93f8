#include "engine/walk/directory_paths.h"

#include "platform/files/path_syntax.h"

directory_paths::directory_paths(const file_searcher& tree)
    : tree_(tree), root_(tree.directory_path(0)), place_(tree.directories.size(), 0) {}

const std::string& directory_paths::of(std::uint32_t index) {
  if (index == 0) return root_;
  if (!chain_.empty() && chain_.back() == index) return path_;
  std::vector<std::uint32_t>& way = way_;
  way.clear();
  std::uint32_t at = index;
  while (place_[at] == 0 && at != 0) {
    way.push_back(at);
    at = tree_.directories[at].parent;
  }
  if (place_[at] == 0) {
    // Subdirectories' paths start from the root's preferred form.
    path_ = platform::preferred_form(root_);
    chain_.assign(1, 0);
    ends_.assign(1, path_.size());
    place_[0] = 1;
  }
  while (chain_.back() != at) {
    place_[chain_.back()] = 0;
    chain_.pop_back();
    ends_.pop_back();
  }
  path_.resize(ends_.back());
  for (auto step = way.rbegin(); step != way.rend(); ++step) {
    platform::append_name(path_, tree_.directories[*step].name);
    chain_.push_back(*step);
    ends_.push_back(path_.size());
    place_[*step] = static_cast<std::uint32_t>(chain_.size());
  }
  return path_;
}
