#pragma once
#include <cstdint>
#include <string>

// What a dry run of one tree would remove, and how many bytes that frees.
class dry_run_tally {
 public:
  virtual ~dry_run_tally() = default;

  // Counts `path` and reports it as a removal reports it.
  void count(const std::string& path);
  // The line that closes the tree's dry run.
  void report(const char* root) const;

 private:
  std::uint64_t files_ = 0;
  std::uint64_t bytes_ = 0;
};
