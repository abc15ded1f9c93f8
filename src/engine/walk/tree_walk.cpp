#include "engine/walk/tree_walk.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "diag/progress_line.h"
#include "engine/walk/blocking_queue.h"
#include "engine/walk/directory_record.h"
#include "engine/walk/worker_threads.h"
#include "platform/text/error_codes.h"
#include "platform/text/last_error.h"

tree_walk::tree_walk(std::string root, const name_rules& rules, std::size_t threads, bool adapt,
                     std::size_t descriptors)
    : root_(std::move(root)),
      rules_(rules),
      threads_(std::max<std::size_t>(threads, 1)),
      adapt_(adapt),
      // Most of what is spare: the pass revisits every directory once per
      // pattern, and each one kept open spares it an open every time.
      budget_(std::max<std::size_t>(2, descriptors / 8 * 7)),
      keep_budget_(descriptors / 4 * 3),
      // Each listing in flight holds a descriptor, and so may its parent.
      in_flight_limit_(std::min(threads_, std::max<std::size_t>(1, (budget_ - keep_budget_) / 2))) {}

void tree_walk::run() {
  add_node(0, std::string());
  pending_.push_back(0);
  std::vector<job> ready;
  if (threads_ == 1 || adapt_) {
    bool waits_for_disk = false;
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
        absorb(result{next.node, read_directory(next.parent, next.name, rules_, false, next.injected_error)});
        allowance += per_listing + per_entry * nodes[next.node].listing.entries;
      }
      ready.clear();
      if (threads_ == 1) continue;
      const std::int64_t blocks = platform::blocks_read();
      const auto now = std::chrono::steady_clock::now();
      waits_for_disk = blocks >= 0 ? blocks - blocks_at_start > disk_blocks : now - sample_start > allowance;
      if (waits_for_disk) break;
      if (++listed == sample) {
        listed = 0;
        allowance = hiccup;
        sample_start = now;
        blocks_at_start = blocks;
      }
    }
    if (!waits_for_disk) return;
  }
  blocking_queue<job> jobs;
  blocking_queue<result> results;
  // On a tree that is not in memory the workers also ask for the first block
  // of the files each listing matched, while the walk goes on, for the
  // removal pass to come.
  worker_group workers(threads_, [&](std::size_t) {
    job next;
    while (jobs.pop(next))
      results.push(result{next.node, read_directory(next.parent, next.name, rules_, true, next.injected_error)});
  });
  // Declared last, so gone first: the workers see the end before they are joined.
  struct closer {
    blocking_queue<job>& queue;
    ~closer() { queue.close(); }
  } end_of_jobs{jobs};
  for (;;) {
    while (in_flight_ < in_flight_limit_ && !pending_.empty()) {
      const std::uint32_t id = pending_.back();
      pending_.pop_back();
      dispatch(id, ready);
      for (job& next : ready) jobs.push(std::move(next));
      ready.clear();
    }
    if (in_flight_ == 0) break;
    result done;
    results.pop(done);
    absorb(std::move(done));
  }
}

void tree_walk::add_node(std::uint32_t parent, std::string name) {
  node added;
  added.parent = parent;
  added.name = std::move(name);
  nodes.push_back(std::move(added));
  directories.emplace_back();
  waiting_children_.push_back(0);
  listing_children_.push_back(0);
  kept_for_removals_.push_back(false);
}

void tree_walk::dispatch(std::uint32_t id, std::vector<job>& ready) {
  const platform::tree_directory* parent = nullptr;
  if (id != 0) {
    const std::uint32_t parent_id = nodes[id].parent;
    --waiting_children_[parent_id];
    parent = directories[parent_id] ? directories[parent_id].get() : open_again(parent_id);
    if (parent == nullptr) {
      // Gone since it was listed, with this child; or no longer to be opened.
      const std::uint32_t code = platform::get_last_error();
      directory_listing& listing = nodes[id].listing;
      listing.fault = is_gone_directory(code) ? listing_fault::gone : listing_fault::cannot_open;
      listing.error = code;
      listing.native_error = platform::native_last_error();
      close_if_unneeded(parent_id);
      return;
    }
    ++listing_children_[parent_id];
  }
  const std::uint32_t injected = open_hook ? open_hook(directory_path(root_, nodes, id)) : 0;
  ++in_flight_;
  ++open_;
  ready.push_back(job{id, parent, id == 0 ? root_ : nodes[id].name, injected});
  stay_within_budget();
}

void tree_walk::absorb(result done) {
  --in_flight_;
  const std::uint32_t id = done.node;
  nodes[id].listing = std::move(done.listing);
  process_progress_line().walked(1, nodes[id].listing.entries, nodes[id].listing.matches.size());
  directories[id] = std::move(nodes[id].listing.directory);
  if (!directories[id]) --open_;
  if (id != 0) {
    const std::uint32_t parent_id = nodes[id].parent;
    --listing_children_[parent_id];
    close_if_unneeded(parent_id);
  }
  std::vector<std::string> subdirectories = std::move(nodes[id].listing.subdirectories);
  nodes[id].listing.subdirectories.clear();
  if (nodes[id].listing.fault == listing_fault::none && !loops_back(id)) {
    std::vector<std::uint32_t> children;
    for (std::string& name : subdirectories) {
      children.push_back(static_cast<std::uint32_t>(nodes.size()));
      add_node(id, std::move(name));
    }
    waiting_children_[id] = static_cast<std::uint32_t>(children.size());
    // The first child is handed out first: the order of listings stays close to pre-order.
    pending_.insert(pending_.end(), children.rbegin(), children.rend());
    if (!children.empty()) waiting_parents_.push_back(id);
    nodes[id].children = std::move(children);
  }
  // Opening it again for the removals would cost as much as the listing did.
  if (directories[id] && !nodes[id].listing.matches.empty() && kept_ < keep_budget_) {
    kept_for_removals_[id] = true;
    kept_ids_.push_back(id);
    ++kept_;
  }
  close_if_unneeded(id);
  stay_within_budget();
}

const platform::tree_directory* tree_walk::open_again(std::uint32_t id) {
  // Down from the nearest directory still open, or from the root's path.
  std::vector<std::uint32_t> way;
  std::uint32_t at = id;
  while (!directories[at]) {
    way.push_back(at);
    if (at == 0) break;
    at = nodes[at].parent;
  }
  const platform::tree_directory* from = directories[at].get();
  std::unique_ptr<platform::tree_directory> current;
  for (auto step = way.rbegin(); step != way.rend(); ++step) {
    auto next = std::make_unique<platform::tree_directory>();
    const bool opened = *step == 0 ? next->open_root(root_) : next->open_subdirectory(*from, nodes[*step].name);
    if (!opened) return nullptr;
    current = std::move(next);
    from = current.get();
  }
  // Another directory under the old name is not the one listed.
  platform::file_identity now;
  if (current->get_identity(now) && nodes[id].listing.identity.known && !(now == nodes[id].listing.identity)) {
    platform::set_last_error(error_code::path_not_found);
    return nullptr;
  }
  directories[id] = std::move(current);
  ++open_;
  return directories[id].get();
}

void tree_walk::close_if_unneeded(std::uint32_t id) {
  if (directories[id] && waiting_children_[id] == 0 && listing_children_[id] == 0 && !kept_for_removals_[id])
    close(id);
}

void tree_walk::close(std::uint32_t id) {
  directories[id].reset();
  --open_;
}

void tree_walk::stay_within_budget() {
  // First what is only kept to spare the removals an open, then parents
  // whose remaining children can open them again along the chain.
  while (open_ > budget_ && !kept_ids_.empty()) {
    const std::uint32_t id = kept_ids_.back();
    kept_ids_.pop_back();
    kept_for_removals_[id] = false;
    --kept_;
    close_if_unneeded(id);
  }
  std::size_t looked_at = waiting_parents_.size();
  while (open_ > budget_ && looked_at-- > 0) {
    const std::uint32_t id = waiting_parents_.front();
    waiting_parents_.pop_front();
    if (waiting_children_[id] == 0) continue;  // every child handed out
    if (directories[id] && listing_children_[id] == 0) close(id);
    waiting_parents_.push_back(id);
  }
}

bool tree_walk::loops_back(std::uint32_t id) {
  const platform::file_identity& self = nodes[id].listing.identity;
  if (!self.known || seen_.insert(self).second) return false;
  for (std::uint32_t at = id; at != 0;) {
    at = nodes[at].parent;
    if (nodes[at].listing.identity == self) return true;
  }
  return false;
}
