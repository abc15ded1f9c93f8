#include "engine/walk/open_directories.h"

#include <utility>

open_directories::open_directories(std::size_t budget) : budget_(budget) {}

void open_directories::add() { slots_.emplace_back(); }

const platform::tree_directory* open_directories::find(std::uint32_t id) const { return slots_[id].handle.get(); }

void open_directories::touch(std::uint32_t id) {
  if (!open_and_unused(id)) return;
  unlink(id);
  link_newest(id);
}

void open_directories::take(std::uint32_t id) {
  slot& self = slots_[id];
  if (self.takers++ == 0 && self.handle) unlink(id);
}

void open_directories::give_back(std::uint32_t id) {
  slot& self = slots_[id];
  if (--self.takers == 0 && self.handle) link_newest(id);
}

bool open_directories::has_room_for(std::size_t more) const { return open_ + more <= budget_ + unused_; }

void open_directories::reserve() {
  while (open_ >= budget_ && oldest_ != none) close(oldest_);
  ++open_;
}

void open_directories::trim() {
  while (open_ > budget_ && oldest_ != none) close(oldest_);
}

const platform::tree_directory* open_directories::keep(std::uint32_t id,
                                                       std::unique_ptr<platform::tree_directory> handle) {
  if (!handle) {
    --open_;
    return nullptr;
  }
  slot& self = slots_[id];
  self.handle = std::move(handle);
  if (self.takers == 0) link_newest(id);
  return self.handle.get();
}

void open_directories::release(std::uint32_t id) {
  if (!open_and_unused(id)) return;
  const std::uint32_t before = last_released_;
  last_released_ = id;
  if (before != none && before != id && open_and_unused(before)) close(before);
}

bool open_directories::open_and_unused(std::uint32_t id) const {
  return slots_[id].handle && slots_[id].takers == 0;
}

void open_directories::close(std::uint32_t id) {
  unlink(id);
  slots_[id].handle.reset();
  --open_;
}

void open_directories::link_newest(std::uint32_t id) {
  slot& self = slots_[id];
  self.older = newest_;
  self.newer = none;
  if (newest_ != none) slots_[newest_].newer = id;
  newest_ = id;
  if (oldest_ == none) oldest_ = id;
  ++unused_;
}

void open_directories::unlink(std::uint32_t id) {
  slot& self = slots_[id];
  const bool linked = self.older != none || self.newer != none || oldest_ == id;
  if (!linked) return;
  if (self.older != none) slots_[self.older].newer = self.newer;
  else oldest_ = self.newer;
  if (self.newer != none) slots_[self.newer].older = self.older;
  else newest_ = self.older;
  self.older = self.newer = none;
  --unused_;
}
