#pragma once
#include <cstdint>

#include "platform/tree_directory.h"

// What a dry run of one tree would remove, and how many bytes that frees.
class dry_run_tally {
 public:
  virtual ~dry_run_tally() = default;

  // Counts the entry, of `size` bytes, and reports it as a removal reports it.
  void count(const platform::tree_entry& entry, std::uint64_t size);
  // The line that closes the tree's dry run.
  void report(const char* root) const;

 private:
  std::uint64_t files_ = 0;
  std::uint64_t bytes_ = 0;
};
