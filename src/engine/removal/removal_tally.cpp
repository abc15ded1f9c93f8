#include "engine/removal/removal_tally.h"

#include <algorithm>
#include <set>

#include "diag/message_output.h"
#include "diag/size_text.h"
#include "engine/walk/directory_listing.h"
#include "settings/run_settings.h"
#include "platform/text/display_text.h"

namespace {
constexpr std::size_t most_folders = 5;
constexpr std::uint64_t full_bar = 20;

std::string padded_left(const std::string& text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

std::string padded_right(const std::string& text, std::size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

// Rows of cells, each column as wide as its widest cell: the first to the
// left, the others to the right, then the row's tail as it is; one message.
std::string columns_text(const std::vector<std::vector<std::string>>& rows, const std::vector<std::string>& tails = {}) {
  if (rows.empty()) return std::string();
  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  std::string text;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    text += "  " + padded_right(rows[r][0], widths[0]);
    for (std::size_t c = 1; c < rows[r].size(); ++c) text += "  " + padded_left(rows[r][c], widths[c]);
    if (r < tails.size() && !tails[r].empty()) text += "  " + tails[r];
    text += '\n';
  }
  text.pop_back();
  return text;
}

// "1 file", "2 files".
std::string files_text(std::uint64_t files) { return std::to_string(files) + (files == 1 ? " file" : " files"); }

// ", N files what" when there are any.
std::string part(std::uint64_t count, const char* one, const char* many, const std::string& what) {
  return count == 0 ? std::string() : ", " + std::to_string(count) + (count == 1 ? one : many) + what;
}

std::string bar(std::uint64_t bytes, std::uint64_t largest) {
  // Anything at all shows as one mark; the largest fills the bar.
  const std::uint64_t marks = largest == 0 ? 0 : std::max<std::uint64_t>(1, bytes * full_bar / largest);
  return std::string(static_cast<std::size_t>(marks), '#');
}
}  // namespace

void removal_tally::count(std::uint64_t size, std::size_t kind, std::uint32_t folder) {
  ++files_;
  bytes_ += size;
  if (kinds_.size() <= kind) kinds_.resize(kind + 1);
  ++kinds_[kind].files;
  kinds_[kind].bytes += size;
  folders_[folder] += size;
}

std::uint64_t removal_tally::freed_by_name(std::uint64_t size, const platform::file_identity& identity,
                                           std::uint32_t links, bool names_stay) {
  if (links <= 1) return size;
  if (!names_stay || !identity.known) return 0;
  return ++(*names_)[identity] >= links ? size : 0;
}

void removal_tally::add(const removal_tally& other) {
  files_ += other.files_;
  bytes_ += other.bytes_;
  modern_only_files_ += other.modern_only_files_;
  modern_only_bytes_ += other.modern_only_bytes_;
  left_.refused += other.left_.refused;
  left_.kept_folders += other.left_.kept_folders;
  left_.skipped_folders += other.left_.skipped_folders;
  left_.newer += other.left_.newer;
  destroyed_files_ += other.destroyed_files_;
  destroyed_bytes_ += other.destroyed_bytes_;
  lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
}

// The line is kept with its names as they are, for a box that shows every
// name; messages show them as every text does.
void removal_tally::report(const std::string& line, bool summary_only) {
  if (line.empty()) return;
  // Line by line: a line end of the table is no byte of a name.
  std::string shown;
  for (std::size_t at = 0, end; at <= line.size(); at = end + 1) {
    end = std::min(line.find('\n', at), line.size());
    shown += platform::displayed_name(line.substr(at, end - at)) + (end < line.size() ? "\n" : "");
  }
  if (summary_only && !process_run_settings().summary)
    echo_message("%s", shown.c_str());
  else
    output_message("%s", shown.c_str());
  lines_.push_back(line);
}

void removal_tally::report_dry_run(const char* root) {
  report("dry run: " + files_text(files_) + ", " + std::to_string(bytes_) +
             " bytes would be removed from " + root,
         false);
}

void removal_tally::report_tree(const char* root, bool to_trash) {
  report(std::string(to_trash ? "moved to the trash" : "removed") + ": " + files_text(files_) + ", " +
         std::to_string(bytes_) + " bytes (" + size_text(bytes_) + ") from " + root);
  report_destroyed(std::string("from ") + root);
}

void removal_tally::report_total(std::size_t trees, bool to_trash, bool dry_run) {
  const char* done = dry_run ? "would be removed" : to_trash ? "moved to the trash" : "removed";
  report("total: " + files_text(files_) + ", " + std::to_string(bytes_) + " bytes (" + size_text(bytes_) + ") " +
         done + " from " + std::to_string(trees) + " trees");
  report_destroyed("from " + std::to_string(trees) + " trees");
}

void removal_tally::report_left(std::int32_t older_than_days) {
  const std::string text = part(left_.refused, " file", " files", " refused") +
                           part(left_.kept_folders, " folder", " folders", std::string(" with ") + keep_marker_name) +
                           part(left_.skipped_folders, " folder", " folders", " by -skip") +
                           part(left_.newer, " file", " files", " newer than -older " + std::to_string(older_than_days));
  if (!text.empty()) report("left:" + text.substr(1));
}

void removal_tally::report_destroyed(const std::string& where) {
  if (destroyed_files_ == 0) return;
  report("deleted for good: " + files_text(destroyed_files_) + ", " + std::to_string(destroyed_bytes_) + " bytes (" +
         size_text(destroyed_bytes_) + ") " + where + ", which the recycle bin could not take");
}

void removal_tally::report_data_elsewhere() const {
  if (data_elsewhere_ != 0)
    output_message("not read: %s files whose data is not on this computer, kept",
                   std::to_string(data_elsewhere_).c_str());
}

void removal_tally::report_breakdown(const std::vector<std::string>& kinds,
                                     const std::function<std::string(std::uint32_t)>& folder_path,
                                     const std::function<std::uint32_t(std::uint32_t)>& parent) {
  std::vector<std::size_t> by_size;
  for (std::size_t k = 0; k < kinds_.size(); ++k)
    if (kinds_[k].files != 0) by_size.push_back(k);
  // Largest first; equal ones in the patterns' order.
  std::stable_sort(by_size.begin(), by_size.end(),
                   [&](std::size_t a, std::size_t b) { return kinds_[a].bytes > kinds_[b].bytes; });
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> bars;
  for (const std::size_t k : by_size) {
    rows.push_back({k < kinds.size() ? kinds[k] : std::string(), files_text(kinds_[k].files),
                    size_text(kinds_[k].bytes)});
    bars.push_back(bar(kinds_[k].bytes, kinds_[by_size.front()].bytes));
  }
  report(columns_text(rows, bars));

  // Each folder counts what lies below it, as du does; one whose outputs all
  // lie in a single child leaves its place to that child.
  std::map<std::uint32_t, std::uint64_t> below;
  std::map<std::uint32_t, std::set<std::uint32_t>> holding_children;
  for (const auto& folder : folders_) {
    std::uint32_t id = folder.first;
    below[id] += folder.second;
    for (std::uint32_t up = parent(id); up != id; id = up, up = parent(id)) {
      below[up] += folder.second;
      holding_children[up].insert(id);
    }
  }
  // Largest first; equal ones by name, whatever order the walk's threads met them in.
  std::vector<std::pair<std::uint64_t, std::string>> folders;
  for (const auto& folder : below)
    if (folders_.count(folder.first) != 0 || holding_children[folder.first].size() != 1)
      folders.emplace_back(folder.second, folder_path(folder.first));
  std::sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  if (folders.size() > most_folders) folders.resize(most_folders);
  rows.clear();
  for (const auto& folder : folders) rows.push_back({folder.second, size_text(folder.first)});
  report(columns_text(rows));
}
