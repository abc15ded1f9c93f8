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
// the trash folder of each mount it has used, kept for the run, and the info
// file being written or, while a trash is first found, two handles on the way
// to it; short of descriptors it lets the others go and needs two.
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
  std::unique_ptr<platform::tree_directory> directory;  // to open it into
};

struct walked_tree::result {
  std::uint32_t id = 0;
  std::unique_ptr<platform::tree_directory> directory;  // open, when listed
  directory_listing listing;
  std::exception_ptr failure;
};

walked_tree::walked_tree(std::string root, const name_rules& rules, std::size_t threads, bool adapt,
                         directory_opener opener, std::size_t spare_descriptors)
    : paths_(std::move(root)),
      rules_(rules),
      threads_(std::max<std::size_t>(threads, 1)),
      adapt_(adapt),
      opener_(std::move(opener)),
      handles_(handle_budget_for(spare_descriptors)) {}

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
    for (job& next : ready) {
      const std::uint32_t listed_id = next.id;
      absorb(list(std::move(next), false));
      allowance += per_listing + per_entry * directories_[listed_id].listing.entries;
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
    while (jobs.pop(next)) results.push(list(std::move(next), true));
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
      for (job& next : ready) absorb(list(std::move(next), false));
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
  waiting_children_.push_back(0);
  confirmed_.push_back(std::chrono::steady_clock::time_point());  // never
  handles_.add();
}

walked_tree::result walked_tree::list(job next, bool warm) const {
  result done;
  done.id = next.id;
  done.directory = std::move(next.directory);
  try {
    done.listing = read_directory(*done.directory, next.parent, next.name, rules_, opener_, warm);
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
    // With listings in flight, their return makes room; with none, the
    // least that any walk needs is opened whatever the budget.
    const bool open_already = handles_.find(parent_id) != nullptr;
    if (open_already) handles_.take(parent_id);
    if (in_flight_ > 0 && !handles_.has_room_for(open_already ? 1 : 2)) {
      if (open_already) handles_.give_back(parent_id);
      return false;
    }
    parent = reopen(parent_id);
    --waiting_children_[parent_id];
    if (parent == nullptr) {
      // Gone since it was listed, with this child; or no longer to be opened.
      const std::uint32_t code = platform::get_last_error();
      directory_listing& listing = directories_[id].listing;
      listing.fault = is_gone_directory(code) ? listing_fault::gone : listing_fault::refused;
      listing.error = code;
      listing.native_error = platform::native_last_error();
      release_if_done(parent_id);
      return true;
    }
    if (!open_already) handles_.take(parent_id);
  }
  handles_.reserve();
  ++in_flight_;
  ready.push_back(
      job{id, parent, id == 0 ? paths_.root() : directories_[id].name, std::make_unique<platform::tree_directory>()});
  return true;
}

void walked_tree::absorb(result done) {
  --in_flight_;
  const std::uint32_t id = done.id;
  directory& self = directories_[id];
  self.listing = std::move(done.listing);
  self.failure = std::move(done.failure);
  process_progress_line().walked(1, self.listing.entries, self.listing.matches.size());
  // A directory that could not be listed at all is not kept open.
  const bool listed = self.listing.usable();
  const bool open = handles_.keep(id, listed ? std::move(done.directory) : nullptr) != nullptr;
  if (listed && !loops_back(id)) {
    std::vector<std::string> names = std::move(self.listing.subdirectories);
    std::vector<std::uint32_t> children;
    children.reserve(names.size());
    for (std::string& name : names) {
      children.push_back(static_cast<std::uint32_t>(directories_.size()));
      add(id, std::move(name));
    }
    waiting_children_[id] = static_cast<std::uint32_t>(children.size());
    // The first child is handed out first: the order of listings stays close to pre-order.
    pending_.insert(pending_.end(), children.rbegin(), children.rend());
    directories_[id].children = std::move(children);  // `add` may have moved it
  }
  directory& walked = directories_[id];
  walked.listing.subdirectories.clear();
  // The root stays open for the whole tree: everything else is reached from it.
  if (id == 0) {
    if (open) handles_.take(0);
    return;
  }
  if (open) release_if_done(id);
  // The parent last: of the two, it is the one that may be wanted next.
  handles_.give_back(walked.parent);
  release_if_done(walked.parent);
}

const platform::tree_directory* walked_tree::open(std::uint32_t id) {
  // Its files one after another: confirmed once, before the first.
  if (current_ == id) return handles_.find(id);
  if (current_ != none) handles_.give_back(current_);
  current_ = none;
  const platform::tree_directory* opened = reopen(id);
  if (opened == nullptr) return nullptr;
  handles_.take(id);
  if (!stands_in_place(id)) {
    // Moved out of the tree since (gone: what it holds is no longer the
    // tree's), or its place could not be asked.
    const std::uint32_t code = platform::get_last_error();
    handles_.give_back(id);
    platform::set_last_error(code);
    return nullptr;
  }
  current_ = id;
  handles_.trim();
  return opened;
}

bool walked_tree::stands_in_place(std::uint32_t id) {
  // Each name on the way up, in its parent as it is now, up to the root
  // held since the start: a folder moved elsewhere keeps its handle, and
  // only its place tells. The way up is shared by the directories next in
  // pre-order, so a way confirmed up to the root a little while ago is not
  // asked again: 100 ms, or twenty times what the last whole way took in a
  // very deep tree, which keeps the cost of asking to a few percent.
  const auto now = std::chrono::steady_clock::now();
  auto whole_way = now;  // when the way up to the root was last confirmed
  std::size_t asked = 0;
  for (std::uint32_t at = id; at != 0; at = directories_[at].parent) {
    if (now - confirmed_[at] < trusted_for_) {
      whole_way = confirmed_[at];
      break;
    }
    const platform::file_identity& self = directories_[at].listing.identity;
    if (!self.known) return true;  // nothing to tell it by
    const platform::tree_directory* parent = parent_of(at);
    if (parent == nullptr || !parent->names_directory(directories_[at].name, self)) return false;
    ++asked;
  }
  for (std::uint32_t at = id, left = asked; left > 0; at = directories_[at].parent, --left) confirmed_[at] = whole_way;
  if (whole_way == now) {
    constexpr auto least = std::chrono::milliseconds(100);
    trusted_for_ = std::max<std::chrono::steady_clock::duration>(least, (std::chrono::steady_clock::now() - now) * 20);
  }
  return true;
}

const platform::tree_directory* walked_tree::parent_of(std::uint32_t id) {
  const std::uint32_t parent = directories_[id].parent;
  if (const platform::tree_directory* held = handles_.find(parent)) {
    handles_.touch(parent);
    return held;
  }
  // Up in one step from the directory just confirmed, where the system
  // allows it: what ".." leads to must be the parent walked.
  if (platform::tree_directory::opens_parent() && directories_[parent].listing.identity.known &&
      handles_.find(id) != nullptr)
    if (const platform::tree_directory* up = open_step(id, parent, "..")) return up;
  return reopen(parent);
}

const platform::tree_directory* walked_tree::reopen(std::uint32_t id) {
  if (const platform::tree_directory* held = handles_.find(id)) {
    handles_.touch(id);
    return held;
  }
  // Up from a child still open is one step, where the walk saw who it is and
  // the system allows it: what ".." leads to counts only as the directory
  // walked, wherever it is now.
  if (directories_[id].listing.identity.known && platform::tree_directory::opens_parent())
    for (const std::uint32_t below : {handles_.last_released(), handles_.newest_unused(), current_})
      if (below != none && below != 0 && directories_[below].parent == id && handles_.find(below))
        if (const platform::tree_directory* up = open_step(below, id, "..")) return up;
  std::vector<std::uint32_t> way;
  for (std::uint32_t at = id; !handles_.find(at); at = directories_[at].parent) {
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
  return handles_.find(id);
}

const platform::tree_directory* walked_tree::open_step(std::uint32_t from, std::uint32_t id, const std::string& name) {
  handles_.take(from);
  handles_.reserve();
  auto handle = std::make_unique<platform::tree_directory>();
  const bool opened = opener_(*handle, handles_.find(from), name);
  handles_.give_back(from);
  if (!opened) return handles_.keep(id, nullptr);
  // Another directory under the old name is not the one walked.
  const platform::file_identity& walked = directories_[id].listing.identity;
  platform::file_identity now;
  if (walked.known && (!handle->get_identity(now) || !(now == walked))) {
    platform::set_last_error(error_code::path_not_found);
    return handles_.keep(id, nullptr);
  }
  return handles_.keep(id, std::move(handle));
}

void walked_tree::release_if_done(std::uint32_t id) {
  // A directory with matches stays open for the removals while room allows.
  if (waiting_children_[id] == 0 && directories_[id].listing.matches.empty()) handles_.release(id);
}

std::vector<listed_match> walked_tree::take_matches(std::uint32_t id) {
  std::vector<listed_match> taken;
  taken.swap(directories_[id].listing.matches);
  return taken;
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

const std::string& walked_tree::path(std::uint32_t id) { return paths_.path(id, directories_); }

std::string walked_tree::path_of(std::uint32_t id, const std::string& name) {
  return path(id) + platform::path_separator + name;
}
