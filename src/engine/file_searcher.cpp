#include "engine/file_searcher.h"

#include <boost/filesystem.hpp>
#include <cstring>

#include "engine/failure_classes.h"
#include "platform/display_text.h"
#include "platform/last_error.h"
#include "platform/name_match.h"
#include "platform/path_syntax.h"

namespace fs = boost::filesystem;

// A pattern "*.ext" is tried by comparing the name's last extension, which is
// what the wildcard means; any other pattern goes to the platform's matcher.
struct file_searcher::pattern_rule {
  std::string pattern;
  std::string extension;  // lower case; empty for a pattern of another form
};

namespace {
const char* const construct_context = "boost::filesystem::directory_iterator::construct";
const char* const increment_context = "boost::filesystem::directory_iterator::operator++";
const char* const status_context = "boost::filesystem::status";

// The walk fails as the path library's own walk did, with the same texts.
[[noreturn]] void throw_walk_error(const char* context, const std::string& path, int code) {
  throw fs::filesystem_error(context, fs::path(platform::displayed_name(path)),
                             boost::system::error_code(code, boost::system::system_category()));
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_extension_pattern(const std::string& pattern) {
  return pattern.size() > 2 && pattern[0] == '*' && pattern[1] == '.' &&
         pattern.find_first_of("*?.[\\", 2) == std::string::npos;
}

// The index of the first pattern that matches `name`, or -1.
int classify(const std::string& name, const std::vector<file_searcher::pattern_rule>& rules) {
  const std::size_t dot = name.rfind('.');
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const std::string& extension = rules[i].extension;
    if (extension.empty()) {
      if (platform::name_matches(rules[i].pattern.c_str(), name.c_str())) return static_cast<int>(i);
      continue;
    }
    if (dot == std::string::npos || name.size() - dot - 1 != extension.size()) continue;
    bool equal = true;
    for (std::size_t k = 0; k < extension.size() && equal; ++k) equal = lower(name[dot + 1 + k]) == extension[k];
    if (equal) return static_cast<int>(i);
  }
  return -1;
}
}  // namespace

void file_searcher::walk(const char* root, const std::vector<std::string>& patterns) {
  directories.clear();
  candidates.assign(patterns.size(), {});
  kept_open.clear();
  keep_open_budget_ = platform::directories_to_keep_open();
  visited_.clear();
  std::vector<pattern_rule> rules;
  for (const std::string& pattern : patterns) {
    pattern_rule rule{pattern, {}};
    if (is_extension_pattern(pattern))
      for (std::size_t k = 2; k < pattern.size(); ++k) rule.extension.push_back(lower(pattern[k]));
    rules.push_back(rule);
  }

  const std::string root_text = root == nullptr ? "" : root;
  // An empty root names nothing; no call is made to find that out.
  if (root_text.empty()) throw_walk_error(construct_context, root_text, platform::native_path_not_found);
  auto directory = std::make_unique<platform::tree_directory>();
  if (!directory->open_root(root_text)) throw_walk_error(construct_context, root_text, platform::native_last_error());
  platform::file_identity id{};
  if (directory->get_identity(id)) visited_.insert(id);
  directories.push_back(directory_record{0, {}, root_text});
  walk_directory(std::move(directory), 0, rules);
}

void file_searcher::walk_directory(std::unique_ptr<platform::tree_directory> directory, std::uint32_t index,
                                   const std::vector<pattern_rule>& rules) {
  const std::string& path = directories[index].path;
  if (!directory->start_listing()) {
    // A listed name that no call can reach is reported and passed over, as
    // such a file is.
    if (index != 0 && is_unreachable_directory(platform::get_last_error())) {
      report_tolerated_failure(path.c_str(), platform::get_last_error());
      return;
    }
    throw_walk_error(construct_context, path, platform::native_last_error());
  }
  std::vector<std::string> subdirectories;
  std::string name;
  bool descend = false;
  bool has_matches = false;
  for (;;) {
    const platform::tree_directory::step step = directory->next_entry(name, descend);
    if (step == platform::tree_directory::step::end) break;
    if (step == platform::tree_directory::step::listing_failed)
      throw_walk_error(increment_context, path, platform::native_last_error());
    if (step == platform::tree_directory::step::type_failed)
      throw_walk_error(status_context, full_path(candidate{index, name}), platform::native_last_error());
    const int match = classify(name, rules);
    if (match >= 0) {
      candidates[static_cast<std::size_t>(match)].push_back(candidate{index, name});
      has_matches = true;
    }
    if (descend) subdirectories.push_back(name);
  }
  directory->close_listing();

  for (const std::string& sub : subdirectories) {
    const std::string sub_path = platform::joined_path(directories[index].path, sub);
    auto child = std::make_unique<platform::tree_directory>();
    if (!child->open_subdirectory(*directory, sub, sub_path))
      throw_walk_error(construct_context, sub_path, platform::native_last_error());
    platform::file_identity id{};
    if (child->get_identity(id) && !visited_.insert(id).second) continue;
    const auto child_index = static_cast<std::uint32_t>(directories.size());
    directories.push_back(directory_record{index, sub, sub_path});
    walk_directory(std::move(child), child_index, rules);
  }
  // Opening it again for the removals would cost as much as the listing did.
  if (has_matches && keep_open_budget_ > 0) {
    --keep_open_budget_;
    if (kept_open.size() <= index) kept_open.resize(directories.size());
    kept_open[index] = std::move(directory);
  }
}

void file_searcher::search(const char* pattern, const char* root, std::list<std::string>& out) {
  results.clear();
  walk(root, {pattern});
  for (const candidate& match : candidates.front()) out.push_back(full_path(match));
}

// The separator goes in even after one already there, as the platform takes
// a doubled separator for a single one.
std::string file_searcher::full_path(const candidate& match) const {
  return directories[match.directory].path + platform::path_separator + match.name;
}
