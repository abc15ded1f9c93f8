#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/files/file_identity.h"
#include BRULO_FILE_STATES

namespace platform {
// What an entry is, as a listing tells it.
enum class entry_kind : unsigned char {
  directory,  // to descend into: no link, junction or mount point
  regular,    // a plain file, no link
  other,      // a link, a FIFO, a device, or anything the listing does not tell
  data_elsewhere,  // a plain file whose data is not here (a cloud file): reading it would fetch it
};

// One directory of a tree being cleaned, open for listing its entries and for
// reading and deleting them by name. It holds the directory open (a
// descriptor, a handle), so that work on an entry costs the same at any depth
// and a directory swapped for a link cannot send that work elsewhere.
class tree_directory {
 public:
  tree_directory() = default;
  ~tree_directory() { close(); }
  tree_directory(const tree_directory&) = delete;
  tree_directory& operator=(const tree_directory&) = delete;

  // The named root, which may itself be a link. False, with the last error
  // set, when it cannot be opened.
  bool open_root(const std::string& path);
  // The subdirectory `name` of `parent`; a link is never followed. False,
  // with the last error set, when it cannot be opened.
  bool open_subdirectory(const tree_directory& parent, const std::string& name);
  // Whether a directory's parent may be opened from it as the subdirectory
  // "..". Where it may not, a parent is reached from above.
  static bool opens_parent();
  void close();

  // Lists the directory once, "." and ".." left out. False, with the last
  // error set, when the listing cannot start.
  bool start_listing();
  enum class step { entry, end, listing_failed, type_failed };
  // The next entry and its kind as the listing tells it. The two failures
  // leave the last error set: the listing broke off, or an entry's type could
  // not be asked. An entry gone before its type could be asked is `other`.
  step next_entry(std::string& name, entry_kind& kind);
  // Frees what the listing holds; the directory stays open.
  void close_listing();

  // What makes the directory the same under another name, asked of the open
  // directory; false where the platform does not tell it that cheaply.
  bool get_identity(file_identity& id) const;
  // Whether `name` here still names the directory known by `identity`,
  // never through a link. False, with the last error set, when it does not
  // (path_not_found or file_not_found: it is not there) or cannot be asked.
  bool names_directory(const std::string& name, const file_identity& identity) const;

  // Has the start of the plain file `name` brought into memory, never through
  // a link, so that a later read finds it there. Decides nothing; failures are ignored.
  void warm_entry(const std::string& name) const;

  // What the platform holds of it, for the platform's own calls.
  const directory_state& state() const { return state_; }

 private:
  struct listing;
  directory_state state_;
  listing* listing_ = nullptr;
};

// How much the calling thread has read from a disk so far, in 512-byte
// blocks; -1 where the platform does not count it.
std::int64_t blocks_read();

// A file of a tree_directory, by its name there and its full path. With no
// directory, the full path alone names it.
struct tree_entry {
  const tree_directory* directory;
  const char* name;
  const char* path;
  entry_kind listed_as = entry_kind::other;  // what its directory's listing said it was
};
}  // namespace platform
