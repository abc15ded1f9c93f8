#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/walk/directory_listing.h"
#include "engine/walk/directory_paths.h"
#include "engine/walk/open_directories.h"
#include "platform/files/tree_directory.h"

// One directory tree from its walk to the last removal. It keeps what the
// walk learned of every directory (its place, its identity, its listing) and
// asks its open_directories for a directory's handle. Every directory but the
// root is opened relative to an open ancestor, never by a path, and checked to
// be the one walked: a folder swapped for another since cannot send any work
// out of the tree.
class walked_tree {
 public:
  // What the walk learned of one directory.
  struct directory {
    std::uint32_t parent = 0;  // the root is its own parent
    std::uint32_t depth = 0;
    std::string name;          // empty for the root
    std::vector<std::uint32_t> children;  // in listing order
    directory_listing listing;
    std::exception_ptr failure;  // thrown while it was listed
  };
  static constexpr std::uint32_t none = open_directories::none;

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
  // checked against what the walk saw, and confirmed to stand where the walk
  // found it, each name on the way up naming it in its parent as it is now,
  // up to the root; valid until the next call. Null, with
  // the last error set, when it cannot be opened: is_gone_directory tells a
  // directory gone or replaced since the walk, with everything in it.
  const platform::tree_directory* open(std::uint32_t id);

  // The path of a directory as messages show it: the root as given, below it
  // the root's preferred form joined with each name. Valid until the next call.
  const std::string& path(std::uint32_t id);
  std::string path_of(std::uint32_t id, const std::string& name);

  const std::vector<directory>& directories() const { return directories_; }
  // A directory's matches, given up to the pass so that they are not held twice.
  std::vector<listed_match> take_matches(std::uint32_t id);

 private:
  struct job;
  struct result;

  void add(std::uint32_t parent, std::string name);
  bool dispatch(std::uint32_t id, std::vector<job>& ready);
  void absorb(result done);
  result list(job next, bool warm) const;
  const platform::tree_directory* reopen(std::uint32_t id);
  bool stands_in_place(std::uint32_t id);
  const platform::tree_directory* parent_of(std::uint32_t id);
  const platform::tree_directory* open_step(std::uint32_t from, std::uint32_t id, const std::string& name);
  void release_if_done(std::uint32_t id);
  bool loops_back(std::uint32_t id);
  void run_on_workers(std::vector<job>& ready);

  directory_paths paths_;
  const name_rules& rules_;
  std::size_t threads_;
  bool adapt_;
  directory_opener opener_;
  open_directories handles_;
  std::size_t in_flight_ = 0;
  std::uint32_t current_ = none;  // what open() returned last: in use until the next call
  std::vector<directory> directories_;
  std::vector<std::uint32_t> waiting_children_;  // found, not yet handed out for listing
  // When each directory's way up to the root was last confirmed to stand as walked.
  std::vector<std::chrono::steady_clock::time_point> confirmed_;
  std::chrono::steady_clock::duration trusted_for_ = std::chrono::milliseconds(10);
  std::vector<std::uint32_t> pending_;     // found, not yet listed; the last one next
  std::set<platform::file_identity> seen_;  // every directory listed so far
};
