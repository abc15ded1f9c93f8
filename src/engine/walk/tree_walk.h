#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/walk/directory_listing.h"
#include "platform/files/tree_directory.h"

// Lists every directory of a tree once, several at a time, without recursion.
// This thread decides what is listed when and owns every result; the workers
// only open and list the directories handed to them. Nodes come in the order
// they were found; their children in listing order give the pre-order.
class tree_walk {
 public:
  struct node {
    std::uint32_t parent = 0;
    std::string name;                     // empty for the root
    std::vector<std::uint32_t> children;  // in listing order
    directory_listing listing;            // its directory moved to `directories`
  };

  // `descriptors` bounds the directories held open at once; `threads` is the
  // number of workers (1: every listing on this thread). With `adapt` the
  // walk starts on this thread and hands the rest to the workers only once
  // listings are found to wait for the disk.
  tree_walk(std::string root, const name_rules& rules, std::size_t threads, bool adapt, std::size_t descriptors);
  virtual ~tree_walk() = default;

  void run();

  // Called on this thread with each directory's path before it is opened; a
  // non-zero Windows error code stands for that open's failure. A test seam.
  std::function<std::uint32_t(const std::string&)> open_hook;

  std::vector<node> nodes;
  // After the run: the directories with matches that stayed open for the
  // removals, by node; null for the others.
  std::vector<std::unique_ptr<platform::tree_directory>> directories;

 private:
  struct job {
    std::uint32_t node;
    const platform::tree_directory* parent;  // null for the root
    std::string name;
    std::uint32_t injected_error;
  };
  struct result {
    std::uint32_t node;
    directory_listing listing;
  };

  void add_node(std::uint32_t parent, std::string name);
  void dispatch(std::uint32_t id, std::vector<job>& ready);
  void absorb(result done);
  const platform::tree_directory* open_again(std::uint32_t id);
  void close_if_unneeded(std::uint32_t id);
  void stay_within_budget();
  bool loops_back(std::uint32_t id);
  void close(std::uint32_t id);

  std::string root_;
  const name_rules& rules_;
  std::size_t threads_;
  bool adapt_;
  std::size_t budget_;       // directories open at once, in-flight listings included
  std::size_t keep_budget_;  // of those, kept for the removals
  std::size_t in_flight_limit_;
  std::size_t open_ = 0;
  std::size_t kept_ = 0;
  std::size_t in_flight_ = 0;
  std::vector<std::uint32_t> pending_;            // found, not yet listed; the last one next
  std::vector<std::uint32_t> waiting_children_;   // per node: children not yet handed out
  std::vector<std::uint32_t> listing_children_;   // per node: children being listed from its descriptor
  std::vector<bool> kept_for_removals_;
  std::vector<std::uint32_t> kept_ids_;        // kept for the removals, the newest last
  std::deque<std::uint32_t> waiting_parents_;  // may hold children not yet handed out
  std::set<platform::file_identity> seen_;     // every directory listed so far
};
