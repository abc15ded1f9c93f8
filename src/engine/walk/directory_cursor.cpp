#include "engine/walk/directory_cursor.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "diag/texts.h"
#include "engine/walk/directory_listing.h"
#include "platform/text/last_error.h"

directory_cursor::directory_cursor(const file_searcher& tree, std::size_t most_open)
    : tree_(tree), most_open_(std::max<std::size_t>(most_open, 2)) {}

void directory_cursor::drop_deepest() {
  on_chain_.erase(chain_.back());
  chain_.pop_back();
  opened_.pop_back();
}

void directory_cursor::forget_chain() {
  chain_.clear();
  opened_.clear();
  on_chain_.clear();
}

const platform::tree_directory* directory_cursor::open(std::uint32_t index) {
  if (index < tree_.kept_open.size() && tree_.kept_open[index] != nullptr) return tree_.kept_open[index].get();
  if (!chain_.empty() && chain_.back() == index) return opened_.back().get();
  // The way down from the nearest directory already open: on the chain, kept
  // open by the walk, or else the root opened again by its path.
  std::vector<std::uint32_t> way;
  const platform::tree_directory* from = nullptr;
  bool continues_chain = false;
  for (std::uint32_t at = index;; at = tree_.directories[at].parent) {
    if (on_chain_.count(at) != 0) {
      while (chain_.back() != at) drop_deepest();
      from = opened_.back().get();
      continues_chain = true;
      break;
    }
    if (at < tree_.kept_open.size() && tree_.kept_open[at] != nullptr) {
      from = tree_.kept_open[at].get();
      break;
    }
    way.push_back(at);
    if (at == 0) break;
  }
  // The chain stays one unbroken run of the way down.
  if (!continues_chain) forget_chain();
  for (auto step = way.rbegin(); step != way.rend(); ++step) {
    auto directory = std::make_unique<platform::tree_directory>();
    const bool opened = *step == 0 ? directory->open_root(tree_.directory_path(0))
                                   : directory->open_subdirectory(*from, tree_.directories[*step].name);
    if (!opened) {
      const std::uint32_t error = platform::get_last_error();
      forget_chain();
      if (is_gone_directory(error)) return nullptr;
      platform::set_last_error(error);
      throw std::runtime_error(texts::file_operator_not_open);
    }
    chain_.push_back(*step);
    on_chain_.insert(*step);
    opened_.push_back(std::move(directory));
    from = opened_.back().get();
    if (opened_.size() > most_open_) {
      on_chain_.erase(chain_.front());
      chain_.pop_front();
      opened_.pop_front();
    }
  }
  return from;
}
