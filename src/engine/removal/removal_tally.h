#pragma once
#include <cstddef>
#include <cstdint>

// How many files, and how many bytes, a clean removed (or in a dry run would
// remove), and the lines that say so.
class removal_tally {
 public:
  virtual ~removal_tally() = default;

  void count(std::uint64_t size) {
    ++files_;
    bytes_ += size;
  }
  void add(const removal_tally& other) {
    files_ += other.files_;
    bytes_ += other.bytes_;
  }

  // "dry run: N files, B bytes would be removed from ROOT"
  void report_dry_run(const char* root) const;
  // "removed: N files, B bytes (H) from ROOT", or "moved to the trash: ..."
  void report_tree(const char* root, bool to_trash) const;
  // "total: N files, B bytes (H) removed from K trees", or "... moved to the trash from K trees"
  void report_total(std::size_t trees, bool to_trash) const;

 private:
  std::uint64_t files_ = 0;
  std::uint64_t bytes_ = 0;
};
