#include "engine/walk/file_searcher.h"

#include <boost/filesystem.hpp>
#include <set>

#include "engine/walk/directory_listing.h"
#include "engine/walk/directory_paths.h"
#include "engine/removal/failure_classes.h"
#include "engine/walk/tree_walk.h"
#include "engine/walk/worker_threads.h"
#include "platform/text/display_text.h"
#include "platform/text/last_error.h"
#include "platform/files/path_syntax.h"

namespace fs = boost::filesystem;

namespace {
const char* const construct_context = "boost::filesystem::directory_iterator::construct";
const char* const increment_context = "boost::filesystem::directory_iterator::operator++";
const char* const status_context = "boost::filesystem::status";

// The walk fails as the path library's own walk did, with the same texts.
[[noreturn]] void throw_walk_error(const char* context, const std::string& path, int native_error) {
  throw fs::filesystem_error(context, fs::path(platform::displayed_name(path)),
                             boost::system::error_code(native_error, boost::system::system_category()));
}
}  // namespace

void file_searcher::walk(const char* root, const std::vector<std::string>& patterns,
                         const std::vector<std::string>& skip_names) {
  directories.clear();
  candidates.assign(patterns.size(), {});
  kept_directories.clear();
  kept_open.clear();
  root_ = root == nullptr ? "" : root;
  // An empty root names nothing; no call is made to find that out.
  if (root_.empty()) throw_walk_error(construct_context, root_, platform::native_path_not_found);

  const name_rules rules(patterns, skip_names);
  tree_walk walk(root_, rules, worker_count(), !worker_count_forced(), platform::spare_descriptors());
  walk.open_hook = open_hook;
  walk.run();

  // Pre-order, from the nodes in the order they were found. A directory seen
  // before under another name (a bind mount) counts only where it comes first.
  std::vector<std::uint32_t> index_of(walk.nodes.size(), 0);
  std::set<platform::file_identity> visited;
  std::vector<std::uint32_t> stack{0};
  while (!stack.empty()) {
    const std::uint32_t id = stack.back();
    stack.pop_back();
    tree_walk::node& node = walk.nodes[id];
    directory_listing& listing = node.listing;
    if (listing.fault == listing_fault::gone) continue;
    if (listing.identity.known && !visited.insert(listing.identity).second) continue;
    const auto index = static_cast<std::uint32_t>(directories.size());
    index_of[id] = index;
    directories.push_back(directory_record{index_of[node.parent], std::move(node.name)});
    // The failure's code is the last error here too, wherever the listing ran.
    if (listing.fault != listing_fault::none) platform::set_native_last_error(listing.native_error);
    switch (listing.fault) {
      case listing_fault::none:
      case listing_fault::gone:
        break;
      case listing_fault::unreachable:
        // A listed name the system will not take back (one ending in a dot or
        // a space, say): reported and passed over, as such a file is.
        report_tolerated_failure(directory_path(index).c_str(), listing.error);
        continue;
      case listing_fault::cannot_open:
        throw_walk_error(construct_context, directory_path(index), listing.native_error);
      case listing_fault::broke_off:
        throw_walk_error(increment_context, directory_path(index), listing.native_error);
      case listing_fault::type_unknown:
        throw_walk_error(status_context, full_path(candidate{index, listing.failed_entry}), listing.native_error);
    }
    if (listing.keep_marker) {
      kept_directories.push_back(index);
      continue;
    }
    for (listed_match& match : listing.matches)
      candidates[match.pattern].push_back(candidate{index, std::move(match.name), match.kind});
    // Given back as it goes, so that the matches are not held twice.
    std::vector<listed_match>().swap(listing.matches);
    if (walk.directories[id]) {
      kept_open.resize(index + 1);
      kept_open[index] = std::move(walk.directories[id]);
    }
    stack.insert(stack.end(), node.children.rbegin(), node.children.rend());
  }
}

void file_searcher::search(const char* pattern, const char* root, std::list<std::string>& out) {
  walk(root, {pattern});
  directory_paths paths(*this);
  for (const candidate& match : candidates.front())
    out.push_back(paths.of(match.directory) + platform::path_separator + match.name);
}

std::string file_searcher::directory_path(std::uint32_t index) const {
  return ::directory_path(root_, directories, index);
}

std::string file_searcher::full_path(const candidate& match) const {
  return directory_path(match.directory) + platform::path_separator + match.name;
}
