#include "engine/walk/file_searcher.h"

#include <boost/filesystem.hpp>
#include <set>

#include "engine/removal/failure_classes.h"
#include "engine/walk/worker_threads.h"
#include "platform/process/descriptor_limit.h"
#include "platform/text/display_text.h"
#include "platform/text/last_error.h"

namespace fs = boost::filesystem;

namespace {
const char* const construct_context = "boost::filesystem::directory_iterator::construct";
const char* const increment_context = "boost::filesystem::directory_iterator::operator++";

// The walk fails as the path library's own walk did, with the same texts.
[[noreturn]] void throw_walk_error(const char* context, const std::string& path, int native_error) {
  throw fs::filesystem_error(context, fs::path(platform::displayed_name(path)),
                             boost::system::error_code(native_error, boost::system::system_category()));
}
}  // namespace

void file_searcher::walk(const char* root, const std::vector<std::string>& patterns,
                         const std::vector<std::string>& skip_names, directory_opener opener) {
  preorder.clear();
  candidates.assign(patterns.size(), {});
  kept_directories.clear();
  tree_.reset();
  const std::string root_text = root == nullptr ? "" : root;
  // An empty root names nothing; no call is made to find that out.
  if (root_text.empty()) throw_walk_error(construct_context, root_text, platform::native_path_not_found);

  rules_ = std::make_unique<name_rules>(patterns, skip_names);
  tree_ = std::make_unique<walked_tree>(root_text, *rules_, worker_count(), !worker_count_forced(), std::move(opener),
                                        platform::spare_descriptors(root_text));
  walked_tree& tree = *tree_;
  tree.walk();

  // Pre-order, from the directories in the order they were found. A directory
  // seen before under another name (a bind mount) counts only where it comes first.
  std::set<platform::file_identity> visited;
  std::vector<std::uint32_t> stack{0};
  while (!stack.empty()) {
    const std::uint32_t id = stack.back();
    stack.pop_back();
    const walked_tree::directory& directory = tree.directories()[id];
    const directory_listing& listing = directory.listing;
    if (listing.fault == listing_fault::gone || listing.fault == listing_fault::system_place) continue;
    if (listing.identity.known && !visited.insert(listing.identity).second) continue;
    preorder.push_back(id);
    // The failure's code is the last error here too, wherever the listing ran.
    if (listing.fault != listing_fault::none) platform::set_native_last_error(listing.native_error);
    switch (listing.fault) {
      case listing_fault::none:
      case listing_fault::gone:
      case listing_fault::system_place:
        break;
      case listing_fault::refused:
        report_tolerated_failure(tree.path(id).c_str(), listing.error);
        continue;
      case listing_fault::cannot_open:
        throw_walk_error(construct_context, tree.path(id), listing.native_error);
      case listing_fault::broke_off:
        // The root's own listing is the tree; below it, what was listed is still cleaned.
        if (id == 0) throw_walk_error(increment_context, tree.path(id), listing.native_error);
        report_tolerated_failure(tree.path(id).c_str(), listing.error);
        break;
      case listing_fault::threw:
        std::rethrow_exception(directory.failure);
    }
    for (const unreadable_entry& entry : listing.unreadable)
      report_tolerated_failure(tree.path_of(id, entry.name).c_str(), entry.error);
    if (listing.keep_marker) {
      kept_directories.push_back(id);
      continue;
    }
    for (listed_match& match : tree.take_matches(id))
      candidates[match.pattern].push_back(candidate{id, std::move(match.name), match.kind});
    stack.insert(stack.end(), directory.children.rbegin(), directory.children.rend());
  }
}

void file_searcher::search(const char* pattern, const char* root, std::list<std::string>& out) {
  walk(root, {pattern});
  for (const candidate& match : candidates.front()) out.push_back(tree_->path_of(match.directory, match.name));
}
