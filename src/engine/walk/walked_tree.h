#pragma once
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/walk/directory_listing.h"
#include "platform/files/tree_directory.h"

// One directory tree from its walk to the last removal. It owns every
// directory's place (parent, name), its identity as the walk saw it and,
// while open, its handle. Every directory but the root is opened relative to
// an open ancestor, never by a path, and checked to be the one walked: a
// folder swapped for another since cannot send any work out of the tree.
class walked_tree {
 public:
  struct directory {
    std::uint32_t parent = 0;  // the root is its own parent
    std::uint32_t depth = 0;
    std::string name;          // empty for the root
    std::vector<std::uint32_t> children;  // in listing order
    directory_listing listing;            // its handle moved out to `handle`
    std::exception_ptr failure;           // thrown while it was listed
    std::unique_ptr<platform::tree_directory> handle;
    // Open and not in use: their place in the order of last use.
    std::uint32_t older = none;
    std::uint32_t newer = none;
    std::uint32_t pins = 0;              // uses that keep it open
    std::uint32_t waiting_children = 0;  // found, not yet handed out for listing
  };
  static constexpr std::uint32_t none = 0xFFFFFFFFu;

  // `threads`: the workers the walk may use (1: every listing on this
  // thread); with `adapt` the walk starts on this thread and hands the rest
  // to the workers only once listings wait for the disk. `opener` opens each
  // directory, on whichever thread lists it. `spare_descriptors` is what the
  // process may still open: the tree keeps what the removals need besides.
  walked_tree(std::string root, const name_rules& rules, std::size_t threads, bool adapt,
              directory_opener opener, std::size_t spare_descriptors);
  walked_tree(const walked_tree&) = delete;
  walked_tree& operator=(const walked_tree&) = delete;
  virtual ~walked_tree() = default;

  // Lists every directory once; failures stay with their directories.
  void walk();

  // The directory open, relative to its nearest open ancestor, each step
  // checked against what the walk saw; valid until the next call. Null, with
  // the last error set, when it cannot be opened: is_gone_directory tells a
  // directory gone or replaced since the walk, with everything in it.
  const platform::tree_directory* open(std::uint32_t id);

  // The path of a directory as messages show it: the root as given, below it
  // the root's preferred form joined with each name. Valid until the next call.
  const std::string& path(std::uint32_t id);
  std::string path_of(std::uint32_t id, const std::string& name);

  std::vector<directory>& directories() { return directories_; }

 private:
  struct job;
  struct result;

  void add(std::uint32_t parent, std::string name);
  bool dispatch(std::uint32_t id, std::vector<job>& ready);
  void absorb(result done);
  result list(const job& next, bool warm) const;
  const platform::tree_directory* reopen(std::uint32_t id);
  const platform::tree_directory* open_step(std::uint32_t from, std::uint32_t id, const std::string& name);
  bool done_with(std::uint32_t id) const;
  void release_if_done(std::uint32_t id);
  bool make_room();
  void close(std::uint32_t id);
  void pin(std::uint32_t id);
  void unpin(std::uint32_t id);
  void link_newest(std::uint32_t id);
  void unlink(std::uint32_t id);
  bool loops_back(std::uint32_t id);
  void run_on_workers(std::vector<job>& ready);

  std::string root_;
  const name_rules& rules_;
  std::size_t threads_;
  bool adapt_;
  directory_opener opener_;
  std::size_t budget_;  // handles open at once, those being listed included
  std::size_t open_ = 0;
  std::size_t idle_ = 0;  // open, not in use: closed first when room is needed
  std::size_t in_flight_ = 0;
  std::uint32_t oldest_ = none;  // the open directories not in use, by last use
  std::uint32_t newest_ = none;
  std::uint32_t current_ = none;  // what open() returned last: in use until the next call
  std::uint32_t last_done_ = none;  // the directory the walk was done with last, still open
  std::vector<directory> directories_;
  std::vector<std::uint32_t> pending_;     // found, not yet listed; the last one next
  std::set<platform::file_identity> seen_;  // every directory listed so far
  // path(): the way down to the directory asked for last, so that a step in
  // pre-order costs what two paths differ by, not their depth.
  std::string path_;
  std::vector<std::uint32_t> path_chain_;  // by depth
  std::vector<std::size_t> path_ends_;     // the length of path_ at each step
};
