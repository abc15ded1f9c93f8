#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/files/file_identity.h"

// How many files, and how many bytes, a clean removed (or in a dry run would
// remove), by kind and by folder, and the lines that say so.
class removal_tally {
 public:
  virtual ~removal_tally() = default;

  // One file of `size` bytes, matched by pattern number `kind` in directory number `folder`.
  void count(std::uint64_t size, std::size_t kind, std::uint32_t folder);
  // What removing one name of a file of `size` bytes frees: the bytes when
  // it is the file's last name. `links` is how many it had when judged; with
  // `names_stay` (a dry run, or the trash, which keeps the names it takes)
  // the names counted before count as gone.
  std::uint64_t freed_by_name(std::uint64_t size, const platform::file_identity& identity, std::uint32_t links,
                              bool names_stay);
  // Another tree's files, bytes and summary lines; its kinds and folders stay its own.
  void add(const removal_tally& other);

  // A file of `size` bytes that was kept, and that "modern" would have taken.
  void count_modern_only(std::uint64_t size) {
    ++modern_only_files_;
    modern_only_bytes_ += size;
  }

  std::uint64_t files() const { return files_; }
  std::uint64_t bytes() const { return bytes_; }
  std::uint64_t modern_only_files() const { return modern_only_files_; }
  std::uint64_t modern_only_bytes() const { return modern_only_bytes_; }
  // The summary lines reported so far (and those of the trees added), in order, without line ends.
  const std::vector<std::string>& lines() const { return lines_; }

  // One file left unread because its data is not on this computer.
  void count_data_elsewhere() { ++data_elsewhere_; }
  // "not read: N files whose data is not on this computer, kept", when there were any.
  void report_data_elsewhere() const;

  // "dry run: N files, B bytes would be removed from ROOT"
  void report_dry_run(const char* root);
  // "removed: N files, B bytes (H) from ROOT", or "moved to the trash: ..."
  void report_tree(const char* root, bool to_trash);
  // "total: N files, B bytes (H) removed from K trees", or "... moved to the trash from K trees"
  void report_total(std::size_t trees, bool to_trash);
  // Where the space is: the bytes of each kind with a bar, largest first, then
  // the folders holding the most. `kinds` names the pattern numbers;
  // `folder_path` gives a directory number's path.
  void report_breakdown(const std::vector<std::string>& kinds,
                        const std::function<std::string(std::uint32_t)>& folder_path) const;

 private:
  struct kind_total {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
  };
  void report(const std::string& line);

  std::uint64_t files_ = 0;
  std::uint64_t bytes_ = 0;
  std::uint64_t modern_only_files_ = 0;
  std::uint64_t modern_only_bytes_ = 0;
  std::vector<kind_total> kinds_;
  std::unordered_map<std::uint32_t, std::uint64_t> folders_;
  std::map<platform::file_identity, std::uint32_t> names_counted_;  // names_stay: of files with several names
  std::vector<std::string> lines_;
  std::uint64_t data_elsewhere_ = 0;
};
