#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/file_identity.h"
#include "platform/files/system_places.h"
#include "platform/files/tree_directory.h"

// What decides, by name alone, what a walk keeps of a directory's entries.
class name_rules {
 public:
  name_rules(const std::vector<std::string>& patterns, const std::vector<std::string>& skip_names);
  virtual ~name_rules() = default;

  // The index of the first pattern that matches `name`, or -1.
  int classify(const std::string& name) const;
  // Whether a directory of this name is not to be entered.
  bool skips(const std::string& directory_name) const;
  // The system's folders, never entered whatever their names.
  const platform::system_places& places() const { return places_; }
  // Whether a pattern finds coverage notes or split debug information, whose
  // objects a listing then notes.
  bool finds_object_descriptions() const { return finds_object_descriptions_; }

 private:
  struct pattern_rule {
    std::string pattern;
    std::string extension;  // lower case; empty for a pattern not of the form "*.ext"
  };
  std::vector<pattern_rule> patterns_;
  std::vector<std::string> skip_names_;
  platform::system_places places_;
  bool finds_object_descriptions_ = false;
};

// The file whose presence keeps its directory, and all below it, out of a clean.
extern const char* const keep_marker_name;

// How listing a directory went wrong. Only the root's failures end a run;
// any other directory that cannot be opened or listed is reported and passed over.
enum class listing_fault {
  none,
  gone,           // removed or replaced since its parent was listed: nothing to clean there
  system_place,   // a trash or a volume's system folder: never entered, without a word
  refused,        // a subdirectory that cannot be opened or listed: reported, and passed over
  cannot_open,    // the root could not be opened, or its listing started
  broke_off,      // the listing failed part way: below the root, what it gave is still cleaned
  threw,          // listing it raised an exception
};

// An entry whose type could not be asked: reported, and passed over.
struct unreadable_entry {
  std::string name;
  std::uint32_t error;
};

// A name that matches a pattern, as the listing found it.
struct listed_match {
  std::uint32_t pattern;
  std::string name;
  platform::entry_kind kind;
};

// What one listing found.
struct directory_listing {
  platform::file_identity identity;
  std::vector<listed_match> matches;                            // in listing order
  std::vector<std::string> subdirectories;                      // to enter, in listing order
  // The other entries that share their stem with coverage notes or split debug
  // information listed here: what may be the objects those describe.
  std::vector<std::string> possible_objects;
  std::size_t entries = 0;  // how many the listing gave
  bool keep_marker = false;
  listing_fault fault = listing_fault::none;
  std::uint32_t error = 0;   // the failure as a Windows error code
  int native_error = 0;      // and as the system gave it
  std::vector<unreadable_entry> unreadable;  // in listing order

  // Whether what the listing gave is to be cleaned.
  bool usable() const { return fault == listing_fault::none || fault == listing_fault::broke_off; }
};

// Removed since its parent was listed, or replaced by a file or a link.
bool is_gone_directory(std::uint32_t code);

// Opens `into` as the subdirectory `name` of `parent`, or as the root named
// by `name` when `parent` is null; false, with the last error set, when it
// cannot. Called on whichever thread lists the directory.
using directory_opener =
    std::function<bool(platform::tree_directory& into, const platform::tree_directory* parent, const std::string& name)>;

// The platform's way: a subdirectory relative to its parent, never through a link.
bool open_directory(platform::tree_directory& into, const platform::tree_directory* parent, const std::string& name);

// Opens one directory into `into` through `opener` and lists it, leaving it
// open, a failed listing's for the caller to drop. With `warm`, the start of
// each plain file that matches is read too, so that the removal pass finds it
// in memory. Touches nothing shared, so that several threads may list at once.
directory_listing read_directory(platform::tree_directory& into, const platform::tree_directory* parent,
                                 const std::string& name, const name_rules& rules, const directory_opener& opener,
                                 bool warm = false);
