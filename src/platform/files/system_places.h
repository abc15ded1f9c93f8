#pragma once
#include <string>

#include "platform/files/file_identity.h"
#include "platform/files/tree_directory.h"

namespace platform {
// Folders inside a tree that hold what the system keeps, not what a build
// left, and that a clean never enters: a trash, whose files are what the user
// threw away, each bound to its record there; and the hidden folders a
// system keeps at the top of a volume.
class system_places {
 public:
  // Learns which folder is this user's own trash, where it is found by identity.
  system_places();
  virtual ~system_places() = default;

  // Whether the folder `name` is one wherever it stands.
  bool anywhere(const std::string& name) const;
  // Whether the folder `name`, directly at the top of a volume, is one.
  bool at_volume_top(const std::string& name) const;
  // Whether the directory of this identity is one, wherever it stands.
  bool is_place(const file_identity& identity) const;

 private:
  file_identity home_trash_;
};

// Whether the open directory is the top of its volume: a mount point or the
// file system's root; a drive's or volume's root. `parent` is the directory
// it was opened from, null for a tree's root.
bool is_volume_top(const tree_directory& directory, const tree_directory* parent);
}  // namespace platform
