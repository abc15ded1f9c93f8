#include "engine/walk/directory_listing.h"

#include <set>

#include "engine/recognition/object_companions.h"
#include "engine/removal/failure_classes.h"
#include "engine/walk/name_pattern.h"
#include "platform/text/error_codes.h"
#include "platform/text/last_error.h"
#include "platform/text/name_case.h"

const char* const keep_marker_name = ".brulokeep";

namespace {

bool is_extension_pattern(const std::string& pattern) {
  return pattern.size() > 2 && pattern[0] == '*' && pattern[1] == '.' &&
         pattern.find_first_of("*?.[\\", 2) == std::string::npos;
}

// Of the entries that are no folders, those that may be the object of notes
// or split debug information among them.
void keep_possible_objects(std::vector<std::string>& files, directory_listing& listing) {
  std::set<std::string> described;
  for (const std::string& name : files)
    if (names_an_object_description(name)) described.insert(object_stem(name));
  if (described.empty()) return;
  for (std::string& name : files)
    if (!names_an_object_description(name) && described.count(object_stem(name)) != 0)
      listing.possible_objects.push_back(std::move(name));
}

void fail(directory_listing& listing, listing_fault fault) {
  listing.fault = fault;
  listing.error = platform::get_last_error();
  listing.native_error = platform::native_last_error();
}

// A subdirectory that is gone is passed over in silence, one that cannot be
// opened for any other reason with a report; the root's failure ends the walk.
void fail_to_open(directory_listing& listing, bool is_root) {
  const std::uint32_t code = platform::get_last_error();
  if (is_root) return fail(listing, listing_fault::cannot_open);
  fail(listing, is_gone_directory(code) ? listing_fault::gone : listing_fault::refused);
}
}  // namespace

bool is_gone_directory(std::uint32_t code) {
  return is_gone(code) || code == error_code::directory_invalid || code == error_code::cant_resolve_filename;
}

// A pattern "*.ext" is tried by comparing the name's last extension, which is
// what the wildcard means; any other pattern goes to the wildcard matcher.
name_rules::name_rules(const std::vector<std::string>& patterns, const std::vector<std::string>& skip_names)
    : skip_names_(skip_names) {
  for (const std::string& pattern : patterns) {
    pattern_rule rule{pattern, {}};
    if (is_extension_pattern(pattern))
      for (std::size_t k = 2; k < pattern.size(); ++k) rule.extension.push_back(folded_case(pattern[k]));
    if (rule.extension == "gcno" || rule.extension == "dwo") finds_object_descriptions_ = true;
    patterns_.push_back(rule);
  }
}

int name_rules::classify(const std::string& name) const {
  const std::size_t dot = name.rfind('.');
  for (std::size_t i = 0; i < patterns_.size(); ++i) {
    const std::string& extension = patterns_[i].extension;
    if (extension.empty()) {
      if (name_pattern_matches(patterns_[i].pattern, name)) return static_cast<int>(i);
      continue;
    }
    if (dot == std::string::npos || name.size() - dot - 1 != extension.size()) continue;
    bool equal = true;
    for (std::size_t k = 0; k < extension.size() && equal; ++k) equal = folded_case(name[dot + 1 + k]) == extension[k];
    if (equal) return static_cast<int>(i);
  }
  return -1;
}

bool name_rules::skips(const std::string& directory_name) const {
  for (const std::string& skipped : skip_names_)
    if (name_pattern_matches(skipped, directory_name)) return true;
  return false;
}

bool open_directory(platform::tree_directory& into, const platform::tree_directory* parent, const std::string& name) {
  return parent == nullptr ? into.open_root(name) : into.open_subdirectory(*parent, name);
}

directory_listing read_directory(platform::tree_directory& into, const platform::tree_directory* parent,
                                 const std::string& name, const name_rules& rules, const directory_opener& opener,
                                 bool warm) {
  directory_listing listing;
  const bool is_root = parent == nullptr;
  if (!opener(into, parent, name)) {
    fail_to_open(listing, is_root);
    return listing;
  }
  if (!into.get_identity(listing.identity)) listing.identity = platform::file_identity();
  if (!is_root && rules.places().is_place(listing.identity)) {
    listing.fault = listing_fault::system_place;
    return listing;
  }
  if (!into.start_listing()) {
    fail_to_open(listing, is_root);
    return listing;
  }
  std::string entry;
  platform::entry_kind kind = platform::entry_kind::other;
  std::vector<std::string> files;  // with finds_object_descriptions
  enum class top { unknown, yes, no } volume_top = top::unknown;  // asked at the first name that needs it
  const auto system_folder = [&](const std::string& name) {
    if (rules.places().anywhere(name)) return true;
    if (!rules.places().at_volume_top(name)) return false;
    if (volume_top == top::unknown)
      volume_top = platform::is_volume_top(into, parent) ? top::yes : top::no;
    return volume_top == top::yes;
  };
  for (;;) {
    const platform::tree_directory::step step = into.next_entry(entry, kind);
    if (step == platform::tree_directory::step::end) break;
    if (step == platform::tree_directory::step::listing_failed) {
      fail(listing, listing_fault::broke_off);
      break;
    }
    if (step == platform::tree_directory::step::type_failed) {
      listing.unreadable.push_back(unreadable_entry{entry, platform::get_last_error()});
      continue;
    }
    ++listing.entries;
    if (same_ignoring_case(entry, keep_marker_name)) listing.keep_marker = true;
    const int match = rules.classify(entry);
    if (match >= 0) listing.matches.push_back(listed_match{static_cast<std::uint32_t>(match), entry, kind});
    if (rules.finds_object_descriptions() && kind != platform::entry_kind::directory) files.push_back(entry);
    if (kind == platform::entry_kind::directory && rules.skips(entry))
      ++listing.skipped;
    else if (kind == platform::entry_kind::directory && !system_folder(entry))
      listing.subdirectories.push_back(entry);
  }
  into.close_listing();
  keep_possible_objects(files, listing);
  // Nothing in it or below it is touched: what the listing found is dropped.
  if (listing.keep_marker) {
    listing.matches.clear();
    listing.subdirectories.clear();
    listing.possible_objects.clear();
  }
  if (warm)
    for (const listed_match& match : listing.matches)
      if (match.kind == platform::entry_kind::regular) into.warm_entry(match.name);
  return listing;
}
