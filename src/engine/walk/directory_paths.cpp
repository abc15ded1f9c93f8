#include "engine/walk/directory_paths.h"

#include "platform/files/path_syntax.h"

void directory_paths::keep_steps(std::size_t steps) {
  if (chain_.empty()) {
    path_ = platform::preferred_form(root_);
    chain_.assign(1, 0);
    ends_.assign(1, path_.size());
  }
  chain_.resize(steps);
  ends_.resize(steps);
  path_.resize(ends_.back());
}

void directory_paths::append(std::uint32_t id, const std::string& name) {
  platform::append_name(path_, name);
  chain_.push_back(id);
  ends_.push_back(path_.size());
}
