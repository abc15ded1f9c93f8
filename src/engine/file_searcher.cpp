#include "engine/file_searcher.h"

#include <boost/filesystem.hpp>

#include "platform/path_syntax.h"
#include "platform/wildcard_listing.h"

namespace fs = boost::filesystem;

void file_searcher::search(const char* pattern, const char* root, std::list<std::string>& out) {
  directories.clear();
  results.clear();
  visited_.clear();
  platform::directory_id root_id{};
  if (platform::get_directory_identity(root, root_id)) visited_.insert(root_id);

  collect_directories(directories, root);
  list_directory(pattern, root, out);
  for (const std::string& dir : directories) list_directory(pattern, dir, out);
}

void file_searcher::collect_directories(std::deque<std::string>& list, const std::string& dir) {
  for (fs::directory_iterator it{fs::path(dir)}, end; it != end; ++it) {
    if (!fs::is_directory(it->path())) continue;
    fs::path sub = it->path();
    const std::string native = sub.make_preferred().string();
    platform::directory_id id{};
    if (platform::get_directory_identity(native, id) && !visited_.insert(id).second) continue;
    list.push_back(native);
    collect_directories(list, native);
  }
}

void file_searcher::list_directory(const char* pattern, const std::string& dir, std::list<std::string>& out) {
  // The separator goes in even after one already there, as the platform takes
  // a doubled separator for a single one.
  const std::string prefix = dir + platform::path_separator;
  // A cut path names another file: what the platform cannot take whole is passed over.
  if (prefix.size() + std::char_traits<char>::length(pattern) > platform::max_path_length) return;

  platform::wildcard_listing listing(prefix, pattern);
  std::string name;
  while (listing.next(name)) {
    if (prefix.size() + name.size() > platform::max_path_length) continue;
    out.push_back(prefix + name);
  }
}
