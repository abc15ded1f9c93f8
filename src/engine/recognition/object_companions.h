#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "engine/recognition/modern_formats.h"

// Coverage notes and split debug information describe one object, and GCC
// names them after it: the object's output name less its extension, so
// "dir/X.o", "dir/X.obj" and "dir/X.lo" give "dir/X.gcno" and "dir/X.dwo",
// and CMake's "X.c.o" gives "X.c.gcno". Only the object's compile writes them
// again, and no build recompiles an object that is still there: so they go
// only with their object, or when there is none.

// True for the kinds of file that describe an object.
bool describes_an_object(modern_kind kind);

// True for a name such a file bears (".gcno", ".dwo", any letter case).
bool names_an_object_description(const std::string& name);

// The name less its last extension: what GCC names an object's notes after.
std::string object_stem(const std::string& name);

// What one clean pass knows of the objects that its notes and split debug
// information describe: the files listed beside them under their stem, and
// which of those the pass took.
class object_companions {
 public:
  virtual ~object_companions() = default;

  // A file that folder number `folder` lists beside a description of the same stem.
  void note_listed(std::uint32_t folder, const std::string& name);
  // A file the pass removed, or (dry run, hint) would remove.
  void note_taken(std::uint32_t folder, const std::string& name);
  // Whether the description `name` in `folder` may go: a file of its stem was
  // taken, or none was listed.
  bool may_go(std::uint32_t folder, const std::string& name) const;

 private:
  std::set<std::pair<std::uint32_t, std::string>> listed_;
  std::set<std::pair<std::uint32_t, std::string>> taken_;
};
