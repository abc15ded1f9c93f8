#include "engine/walk/walked_tree.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "diag/progress_line.h"
#include "engine/walk/blocking_queue.h"
#include "engine/walk/worker_threads.h"
#include "platform/files/path_syntax.h"
#include "platform/text/error_codes.h"
#include "platform/text/last_error.h"

namespace {
// How many directories may be open at once, out of the descriptors that are
// spare: some stay back for what the removals open besides (the file being
// judged, the logs, a dialog's pipes, the trash). A move to the trash holds
// at most four: the home trash's folder and that of the file's mount, kept
// for the run, and the info file being written, or while a mount's trash is
// first found, three handles on the way to it.
std::size_t handle_budget_for(std::size_t spare) {
  constexpr std::size_t least = 3;         // the root, a parent and the child opened from it
  constexpr std::size_t most = 1u << 14;   // keeping more open spares nothing measurable
  constexpr std::size_t trash_move = 4;
  const std::size_t reserve = std::min<std::size_t>(std::max<std::size_t>(spare / 4, trash_move), 64);
  const std::size_t budget = spare > reserve ? spare - reserve : 0;
  return std::min(std::max(budget, least), most);
}
}  // namespace

struct walked_tree::job {
  std::uint32_t id = 0;
  const platform::tree_directory* parent = nullptr;  // null for the root
  std::string name;                                  // the root's path for the root
};

struct walked_tree::result {
  std::uint32_t id = 0;
  directory_listing listing;
  std::exception_ptr failure;
};

walked_tree::walked_tree(std::string root, const name_rules& rules, std::size_t threads, bool adapt,
                         directory_opener opener, std::size_t spare_descriptors)
    : root_(std::move(root)),
      rules_(rules),
      threads_(std::max<std::size_t>(threads, 1)),
      adapt_(adapt),
      opener_(std::move(opener)),
      budget_(handle_budget_for(spare_descriptors)) {}

void walked_tree::walk() {
  add(0, std::string());
  pending_.push_back(0);
  std::vector<job> ready;
  if (threads_ > 1 && !adapt_) return run_on_workers(ready);
  // Listings served from memory are fastest on one thread; once they read
  // from the disk, the rest of the walk goes to the workers. Where the
  // platform does not count the reads, time tells: from memory a listing
  // takes a few tens of microseconds and about one more per entry.
  constexpr std::int64_t disk_blocks = 64;
  constexpr auto per_listing = std::chrono::microseconds(60);
  constexpr auto per_entry = std::chrono::microseconds(1);
  constexpr auto hiccup = std::chrono::milliseconds(5);  // the thread may be preempted
  constexpr std::size_t sample = 32;
  std::size_t listed = 0;
  std::chrono::steady_clock::duration allowance = hiccup;
  auto sample_start = std::chrono::steady_clock::now();
  std::int64_t blocks_at_start = platform::blocks_read();
  while (!pending_.empty()) {
    const std::uint32_t id = pending_.back();
    pending_.pop_back();
    dispatch(id, ready);
    for (const job& next : ready) {
      absorb(list(next, false));
      allowance += per_listing + per_entry * directories_[next.id].listing.entries;
    }
    ready.clear();
    if (threads_ == 1) continue;
    const std::int64_t blocks = platform::blocks_read();
    const auto now = std::chrono::steady_clock::now();
    if (blocks >= 0 ? blocks - blocks_at_start > disk_blocks : now - sample_start > allowance)
      return run_on_workers(ready);
    if (++listed == sample) {
      listed = 0;
      allowance = hiccup;
      sample_start = now;
      blocks_at_start = blocks;
    }
  }
}

void walked_tree::run_on_workers(std::vector<job>& ready) {
  // Two listings a worker in flight keep each busy while this thread takes
  // in results; the queues never hold more, so they never allocate.
  const std::size_t most_in_flight = threads_ * 2;
  blocking_queue<job> jobs(most_in_flight);
  blocking_queue<result> results(most_in_flight);
  // On a tree that is not in memory the workers also ask for the first block
  // of the files each listing matched, while the walk goes on, for the
  // removal pass to come.
  worker_group workers(threads_, [&](std::size_t) {
    job next;
    while (jobs.pop(next)) results.push(list(next, true));
  });
  // Declared last, so gone first: the workers see the end before they are joined.
  struct closer {
    blocking_queue<job>& queue;
    ~closer() { queue.close(); }
  } end_of_jobs{jobs};
  // Threads the system would not give: the ones it gave do the work, or this one alone.
  const std::size_t in_flight_limit = std::min(most_in_flight, workers.size() * 2);
  for (;;) {
    if (in_flight_limit == 0 && !pending_.empty()) {
      const std::uint32_t id = pending_.back();
      pending_.pop_back();
      dispatch(id, ready);
      for (const job& next : ready) absorb(list(next, false));
      ready.clear();
      continue;
    }
    while (in_flight_ < in_flight_limit && !pending_.empty() && dispatch(pending_.back(), ready)) {
      pending_.pop_back();
      for (job& next : ready) jobs.push(std::move(next));
      ready.clear();
    }
    if (in_flight_ == 0 && pending_.empty()) break;
    result done;
    results.pop(done);
    absorb(std::move(done));
  }
}

void walked_tree::add(std::uint32_t parent, std::string name) {
  directory added;
  added.parent = parent;
  added.depth = directories_.empty() ? 0 : directories_[parent].depth + 1;
  added.name = std::move(name);
  directories_.push_back(std::move(added));
}

walked_tree::result walked_tree::list(const job& next, bool warm) const {
  result done;
  done.id = next.id;
  try {
    done.listing = read_directory(next.parent, next.name, rules_, opener_, warm);
  } catch (...) {
    // Reported where the directory stands in pre-order, like any failure of a listing.
    done.listing = directory_listing();
    done.listing.fault = listing_fault::threw;
    done.failure = std::current_exception();
  }
  return done;
}

bool walked_tree::dispatch(std::uint32_t id, std::vector<job>& ready) {
  const platform::tree_directory* parent = nullptr;
  if (id != 0) {
    const std::uint32_t parent_id = directories_[id].parent;
    directory& above = directories_[parent_id];
    // With listings in flight, their return makes room; with none, the
    // least that any walk needs is opened whatever the budget.
    const bool open_already = above.handle != nullptr;
    if (open_already) pin(parent_id);
    if (in_flight_ > 0 && open_ + (open_already ? 1 : 2) > budget_ + idle_) {
      if (open_already) unpin(parent_id);
      return false;
    }
    parent = reopen(parent_id);
    --above.waiting_children;
    if (parent == nullptr) {
      // Gone since it was listed, with this child; or no longer to be opened.
      const std::uint32_t code = platform::get_last_error();
      directory_listing& listing = directories_[id].listing;
      listing.fault = is_gone_directory(code) ? listing_fault::gone : listing_fault::cannot_open;
      listing.error = code;
      listing.native_error = platform::native_last_error();
      release_if_done(parent_id);
      return true;
    }
    if (!open_already) pin(parent_id);
  }
  make_room();
  ++open_;
  ++in_flight_;
  ready.push_back(job{id, parent, id == 0 ? root_ : directories_[id].name});
  return true;
}

void walked_tree::absorb(result done) {
  --in_flight_;
  const std::uint32_t id = done.id;
  directory& self = directories_[id];
  self.listing = std::move(done.listing);
  self.failure = std::move(done.failure);
  process_progress_line().walked(1, self.listing.entries, self.listing.matches.size());
  self.handle = std::move(self.listing.directory);
  if (!self.handle) --open_;
  if (self.listing.fault == listing_fault::none && !loops_back(id)) {
    std::vector<std::string> names = std::move(self.listing.subdirectories);
    std::vector<std::uint32_t> children;
    children.reserve(names.size());
    for (std::string& name : names) {
      children.push_back(static_cast<std::uint32_t>(directories_.size()));
      add(id, std::move(name));
    }
    directory& listed = directories_[id];  // `add` may have moved it
    listed.waiting_children = static_cast<std::uint32_t>(children.size());
    // The first child is handed out first: the order of listings stays close to pre-order.
    pending_.insert(pending_.end(), children.rbegin(), children.rend());
    listed.children = std::move(children);
  }
  directory& listed = directories_[id];
  listed.listing.subdirectories.clear();
  // The root stays open for the whole tree: everything else is reached from it.
  if (id == 0) {
    if (listed.handle) pin(0);
    return;
  }
  if (listed.handle) {
    link_newest(id);
    release_if_done(id);
  }
  // The parent last: of the two, it is the one that may be wanted next.
  unpin(listed.parent);
  release_if_done(listed.parent);
}

const platform::tree_directory* walked_tree::open(std::uint32_t id) {
  if (current_ != none) unpin(current_);
  current_ = none;
  const platform::tree_directory* opened = reopen(id);
  if (opened != nullptr) {
    pin(id);
    current_ = id;
  }
  return opened;
}

const platform::tree_directory* walked_tree::reopen(std::uint32_t id) {
  directory& wanted = directories_[id];
  if (wanted.handle) {
    // Used now: the last to be closed.
    if (wanted.pins == 0) {
      unlink(id);
      link_newest(id);
    }
    return wanted.handle.get();
  }
  // Up from a child still open is one step, where the walk saw who it is:
  // what ".." leads to counts only as the directory walked, wherever it is now.
  if (wanted.listing.identity.known)
    for (const std::uint32_t below : {last_done_, newest_, current_})
      if (below != none && below != 0 && directories_[below].parent == id && directories_[below].handle)
        if (const platform::tree_directory* up = open_step(below, id, "..")) return up;
  std::vector<std::uint32_t> way;
  for (std::uint32_t at = id; !directories_[at].handle; at = directories_[at].parent) {
    way.push_back(at);
    if (at == 0) {
      // The root is never opened again by its path: that could lead anywhere now.
      platform::set_last_error(error_code::path_not_found);
      return nullptr;
    }
  }
  // Each step down stays open, so that its siblings and the next directory
  // in pre-order start from it: reopening costs the way down once, not per directory.
  for (auto step = way.rbegin(); step != way.rend(); ++step)
    if (open_step(directories_[*step].parent, *step, directories_[*step].name) == nullptr) return nullptr;
  return wanted.handle.get();
}

const platform::tree_directory* walked_tree::open_step(std::uint32_t from, std::uint32_t id, const std::string& name) {
  pin(from);
  make_room();
  auto handle = std::make_unique<platform::tree_directory>();
  const bool opened = opener_(*handle, directories_[from].handle.get(), name);
  unpin(from);
  if (!opened) return nullptr;
  // Another directory under the old name is not the one walked.
  const platform::file_identity& walked = directories_[id].listing.identity;
  platform::file_identity now;
  if (walked.known && (!handle->get_identity(now) || !(now == walked))) {
    platform::set_last_error(error_code::path_not_found);
    return nullptr;
  }
  directories_[id].handle = std::move(handle);
  ++open_;
  link_newest(id);
  return directories_[id].handle.get();
}

bool walked_tree::done_with(std::uint32_t id) const {
  const directory& self = directories_[id];
  // A directory with matches stays open for the removals while room allows.
  return self.handle && self.pins == 0 && self.waiting_children == 0 && self.listing.matches.empty();
}

void walked_tree::release_if_done(std::uint32_t id) {
  if (!done_with(id)) return;
  // Closed one step later: the next directory wanted is often its parent,
  // reached from it in one step.
  const std::uint32_t before = last_done_;
  last_done_ = id;
  if (before != none && before != id && done_with(before)) close(before);
}

bool walked_tree::make_room() {
  while (open_ >= budget_ && oldest_ != none) close(oldest_);
  return open_ < budget_;
}

void walked_tree::close(std::uint32_t id) {
  unlink(id);
  directories_[id].handle.reset();
  --open_;
}

void walked_tree::pin(std::uint32_t id) {
  directory& self = directories_[id];
  if (self.pins++ == 0 && self.handle) unlink(id);
}

void walked_tree::unpin(std::uint32_t id) {
  directory& self = directories_[id];
  if (--self.pins == 0 && self.handle) link_newest(id);
}

void walked_tree::link_newest(std::uint32_t id) {
  directory& self = directories_[id];
  self.older = newest_;
  self.newer = none;
  if (newest_ != none) directories_[newest_].newer = id;
  newest_ = id;
  if (oldest_ == none) oldest_ = id;
  ++idle_;
}

void walked_tree::unlink(std::uint32_t id) {
  directory& self = directories_[id];
  const bool linked = self.older != none || self.newer != none || oldest_ == id;
  if (!linked) return;
  if (self.older != none) directories_[self.older].newer = self.newer;
  else oldest_ = self.newer;
  if (self.newer != none) directories_[self.newer].older = self.older;
  else newest_ = self.older;
  self.older = self.newer = none;
  --idle_;
}

bool walked_tree::loops_back(std::uint32_t id) {
  const platform::file_identity& self = directories_[id].listing.identity;
  if (!self.known || seen_.insert(self).second) return false;
  for (std::uint32_t at = id; at != 0;) {
    at = directories_[at].parent;
    if (directories_[at].listing.identity == self) return true;
  }
  return false;
}

const std::string& walked_tree::path(std::uint32_t id) {
  if (id == 0) return root_;
  std::vector<std::uint32_t> way;
  std::uint32_t at = id;
  const auto on_chain = [this](std::uint32_t node) {
    const std::uint32_t depth = directories_[node].depth;
    return depth < path_chain_.size() && path_chain_[depth] == node;
  };
  for (; at != 0 && !on_chain(at); at = directories_[at].parent) way.push_back(at);
  if (path_chain_.empty()) {
    // Below the root, paths start from its preferred form.
    path_ = platform::preferred_form(root_);
    path_chain_.assign(1, 0);
    path_ends_.assign(1, path_.size());
  }
  const std::size_t keep = directories_[at].depth + 1;
  path_chain_.resize(keep);
  path_ends_.resize(keep);
  path_.resize(path_ends_.back());
  for (auto step = way.rbegin(); step != way.rend(); ++step) {
    platform::append_name(path_, directories_[*step].name);
    path_chain_.push_back(*step);
    path_ends_.push_back(path_.size());
  }
  return path_;
}

std::string walked_tree::path_of(std::uint32_t id, const std::string& name) {
  return path(id) + platform::path_separator + name;
}
