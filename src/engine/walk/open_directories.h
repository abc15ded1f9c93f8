#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/files/tree_directory.h"

// The directories of one tree held open, at most a budget of handles at once.
// A directory in use (taken and not yet given back) stays open; the others
// are kept in the order of their last use, and the one unused longest is
// closed first when room is needed. Each handle lives here and nowhere else.
class open_directories {
 public:
  static constexpr std::uint32_t none = 0xFFFFFFFFu;

  explicit open_directories(std::size_t budget);
  open_directories(const open_directories&) = delete;
  open_directories& operator=(const open_directories&) = delete;
  virtual ~open_directories() = default;

  // One more directory, closed; the ids count from 0 in the order added.
  void add();

  // Its handle, or null when it is not open. Looking is no use.
  const platform::tree_directory* find(std::uint32_t id) const;
  // Used now: of the unused, the last to be closed.
  void touch(std::uint32_t id);
  // In use until given back, and never closed meanwhile; one taken before it
  // is open is in use from its opening.
  void take(std::uint32_t id);
  void give_back(std::uint32_t id);

  // Whether `more` handles fit, counting those that closing the unused frees.
  bool has_room_for(std::size_t more) const;
  // Room for one more handle, the unused closed longest first to make it;
  // counted from now until `keep` is given the handle, or null in its place.
  void reserve();
  const platform::tree_directory* keep(std::uint32_t id, std::unique_ptr<platform::tree_directory> handle);
  // Back within the budget, where the least a step needed went past it, the
  // unused closed longest first: what the removals open besides counts on it.
  void trim();

  // No longer wanted open: closed at the next release, if unused by then.
  // The next directory wanted is often its parent, reached from it in one step.
  void release(std::uint32_t id);
  std::uint32_t last_released() const { return last_released_; }
  std::uint32_t newest_unused() const { return newest_; }

 private:
  struct slot {
    std::unique_ptr<platform::tree_directory> handle;
    // Open and unused: its place in the order of last use.
    std::uint32_t older = none;
    std::uint32_t newer = none;
    std::uint32_t takers = 0;
  };

  bool open_and_unused(std::uint32_t id) const;
  void close(std::uint32_t id);
  void link_newest(std::uint32_t id);
  void unlink(std::uint32_t id);

  std::size_t budget_;  // handles open at once, those being opened elsewhere included
  std::size_t open_ = 0;
  std::size_t unused_ = 0;
  std::uint32_t oldest_ = none;
  std::uint32_t newest_ = none;
  std::uint32_t last_released_ = none;
  std::vector<slot> slots_;
};
