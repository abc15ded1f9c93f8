#include "engine/directory_cursor.h"

#include <algorithm>
#include <stdexcept>

#include "diag/texts.h"
#include "engine/failure_classes.h"
#include "platform/last_error.h"

const platform::tree_directory* directory_cursor::open(std::uint32_t index) {
  if (index < tree_.kept_open.size() && tree_.kept_open[index] != nullptr) return tree_.kept_open[index].get();
  if (!chain_.empty() && chain_.back() == index) return opened_.back().get();
  // The way down from the nearest directory already open on the chain.
  std::vector<std::uint32_t> way;
  std::uint32_t at = index;
  for (;;) {
    const auto kept = std::find(chain_.begin(), chain_.end(), at);
    if (kept != chain_.end()) {
      const auto keep = static_cast<std::size_t>(kept - chain_.begin()) + 1;
      chain_.resize(keep);
      opened_.resize(keep);
      break;
    }
    way.push_back(at);
    if (at == 0) {
      chain_.clear();
      opened_.clear();
      break;
    }
    at = tree_.directories[at].parent;
  }
  for (auto step = way.rbegin(); step != way.rend(); ++step) {
    const file_searcher::directory_record& record = tree_.directories[*step];
    auto directory = std::make_unique<platform::tree_directory>();
    const bool opened = *step == 0 ? directory->open_root(record.path)
                                   : directory->open_subdirectory(*opened_.back(), record.name, record.path);
    if (!opened) {
      const std::uint32_t error = platform::get_last_error();
      chain_.clear();
      opened_.clear();
      if (is_gone(error)) return nullptr;
      throw std::runtime_error(texts::file_operator_not_open);
    }
    chain_.push_back(*step);
    opened_.push_back(std::move(directory));
  }
  return opened_.back().get();
}
