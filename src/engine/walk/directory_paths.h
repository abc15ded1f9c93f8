#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The paths of a walked tree's directories as messages show them: the root as
// given, below it the root's preferred form joined with each name. It keeps
// the way down to the directory asked for last, so that a step in pre-order
// costs what two paths differ by, not their depth.
class directory_paths {
 public:
  explicit directory_paths(std::string root) : root_(std::move(root)) {}
  virtual ~directory_paths() = default;

  const std::string& root() const { return root_; }

  // `directories` gives each directory's parent, depth and name by its
  // number, the root being 0. Valid until the next call.
  template <typename Directories>
  const std::string& path(std::uint32_t id, const Directories& directories) {
    if (id == 0) return root_;
    way_.clear();
    std::uint32_t at = id;
    for (; at != 0 && !on_chain(at, directories[at].depth); at = directories[at].parent) way_.push_back(at);
    keep_steps(directories[at].depth + 1);
    for (auto step = way_.rbegin(); step != way_.rend(); ++step) append(*step, directories[*step].name);
    return path_;
  }

 private:
  bool on_chain(std::uint32_t id, std::uint32_t depth) const { return depth < chain_.size() && chain_[depth] == id; }
  // The first `steps` of the way down kept, the root's the first.
  void keep_steps(std::size_t steps);
  void append(std::uint32_t id, const std::string& name);

  std::string root_;
  std::string path_;
  std::vector<std::uint32_t> chain_;  // by depth
  std::vector<std::size_t> ends_;     // the length of path_ at each step
  std::vector<std::uint32_t> way_;    // the steps not on the chain, upwards
};
